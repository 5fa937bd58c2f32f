#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a Lua script in a headless Ardour 7 (ardour7-lua) that sees the built bundle and nothing
# of the user's: the bundle goes into a home folder of its own (with the factory bank beside it
# where asked), Ardour's VST 3 scanner indexes it, then the script runs with the given arguments.
# With --lv2 the bundle is an LV2 one, copied into ~/.lv2 with its links followed (Ardour needs
# no scan for LV2). --lua-script puts a Lua plug-in into Ardour's scripts folder. Ardour's output
# goes to stdout.
#
# Usage: RunInArdour.sh [--bank BANK INSTALL-SCRIPT] [--lv2] [--lua-script FILE]
#        [--timeout SECONDS] BUNDLE FOLDER SCRIPT [ARGUMENT...]
# FOLDER is made if needed; the home folder is FOLDER/home. Exits 77 where Ardour 7 is not
# installed, 124 when Ardour outlived the timeout (120 s unless told) and was killed with all
# its processes, and otherwise as ardour7-lua does.
set -uo pipefail
bank=
install_script=
lv2=
lua_script=
seconds=120
while [ $# -gt 0 ]; do
    case $1 in
    --bank) bank=$2; install_script=$3; shift 3 ;;
    --lv2) lv2=1; shift ;;
    --lua-script) lua_script=$2; shift 2 ;;
    --timeout) seconds=$2; shift 2 ;;
    *) break ;;
    esac
done
if [ $# -lt 3 ]; then
    echo "usage: RunInArdour.sh [--bank BANK INSTALL-SCRIPT] [--lv2] [--lua-script FILE]" \
        "[--timeout SECONDS] BUNDLE FOLDER SCRIPT [ARGUMENT...]" >&2
    exit 2
fi
bundle=$1
folder=$2
script=$3
shift 3
scanner=/usr/lib/ardour7/ardour-vst3-scanner
if ! command -v ardour7-lua >/dev/null 2>&1 || { [ -z "$lv2" ] && [ ! -x "$scanner" ]; }; then
    echo "Ardour 7 (ardour7-lua and its VST 3 scanner) is not installed (Debian package ardour)"
    exit 77
fi

home=$folder/home
export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_CACHE_HOME=$home/.cache \
    XDG_DATA_HOME=$home/.local/share
if [ -n "$lua_script" ]; then
    mkdir -p "$XDG_CONFIG_HOME/ardour7/scripts" || exit 1
    cp "$lua_script" "$XDG_CONFIG_HOME/ardour7/scripts/" || exit 1
fi
if [ -n "$lv2" ]; then
    # The bundle's link to the module is followed: the copy holds the module itself.
    mkdir -p "$home/.lv2" || exit 1
    cp -rL "$bundle" "$home/.lv2/" || exit 1
else
    mkdir -p "$home/.vst3" || exit 1
    cp -r "$bundle" "$home/.vst3/" || exit 1
    installed=$home/.vst3/$(basename "$bundle")
    # Ardour trusts its index of a bundle only when the index is newer than the module, to the
    # second: the copy is made a minute old.
    find "$installed" -exec touch -d '1 minute ago' {} + || exit 1
    if [ -n "$bank" ]; then
        cmake -DBRASK_BANK_SOURCE_DIR="$bank" \
            -DBRASK_BANK_DESTINATION="$home/.vst3/presets/Tarvik/Brask" -P "$install_script" \
            >/dev/null || exit 1
    fi
    # Ardour loads plug-ins only after its scanner has seen them.
    if ! LD_LIBRARY_PATH=/usr/lib/ardour7 "$scanner" -f "$installed" >"$folder/scan.log" 2>&1; then
        cat "$folder/scan.log"
        echo "Ardour's VST 3 scanner failed on $installed"
        exit 1
    fi
fi
# timeout runs Ardour in a process group of its own and ends the whole group.
timeout -k 5 "$seconds" ardour7-lua "$script" "$@"
status=$?
if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    echo "Ardour hung and was killed after $seconds s"
    exit 124
fi
exit "$status"
