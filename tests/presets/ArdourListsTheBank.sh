#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Ardour 7, a host that reads only the files directly in a plug-in's preset folder, lists the
# whole factory bank once it is installed beside the bundle in a home folder of its own.
# Usage: ArdourListsTheBank.sh BUNDLE BANK INSTALL-SCRIPT. Exits 77 (skipped) without ardour7-lua.
set -uo pipefail
bundle=$1
bank=$2
install_script=$3
scanner=/usr/lib/ardour7/ardour-vst3-scanner
if ! command -v ardour7-lua >/dev/null 2>&1 || [ ! -x "$scanner" ]; then
    echo "ardour7-lua is not installed (Debian package ardour)"
    exit 77
fi

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/.vst3"
# With its times: Ardour takes a scan as stale when the module seems newer than the scanner's
# record, which keeps only whole seconds.
cp -r --preserve=timestamps "$bundle" "$home/.vst3/"
cmake -DBRASK_BANK_SOURCE_DIR="$bank" -DBRASK_BANK_DESTINATION="$home/.vst3/presets/Tarvik/Brask" \
    -P "$install_script" >/dev/null || exit 1
export HOME=$home
# Ardour loads plug-ins only after its scanner has seen them.
LD_LIBRARY_PATH=/usr/lib/ardour7 "$scanner" -f "$home/.vst3/Tarvik-Brask.vst3" >"$home/scan.log" 2>&1 ||
    { cat "$home/scan.log"; exit 1; }
cat >"$home/list.lua" <<EOF
ARDOUR.config():set_hide_dummy_backend(false)
AudioEngine:set_backend("None (Dummy)", "", "")
local session = create_session("$home/session", "session", 48000)
assert(session)
for plugin in ARDOUR.LuaAPI.list_plugins():iter() do
    if plugin.name == "Brask" then
        local count = 0
        for preset in plugin:get_presets():iter() do count = count + 1 end
        print("Brask presets: " .. count)
    end
end
close_session()
EOF
listed=$(timeout 300 ardour7-lua "$home/list.lua" 2>&1)
expected=$(find "$bank" -maxdepth 1 -name '*.vstpreset' | wc -l)
if ! grep -qx "Brask presets: $expected" <<<"$listed"; then
    echo "Ardour lists: $(grep '^Brask presets' <<<"$listed" || echo "no Brask"), expected $expected"
    exit 1
fi
echo "Ardour lists all $expected presets"
