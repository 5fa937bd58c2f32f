#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The editor's zoom menu in Ardour 7's own plug-in window: Ardour opens a session whose Brask
# window was left open, on a private X server; a right-click on the panel's background, then
# Zoom and a factor, must grow or shrink the editor and Ardour's window around it, live, and
# write the choice into the settings file. The pointer moves and clicks are real X input
# (xdotool), as a musician's would be.
#
# Usage: ardour-gui-zoom.sh RUN-IN-ARDOUR BUNDLE SESSION-SCRIPT FOLDER
# Exits 77 where Ardour 7, xdotool, xwininfo or Xvfb are missing.
set -uo pipefail
if [ $# -ne 4 ]; then
    echo "usage: ardour-gui-zoom.sh RUN-IN-ARDOUR BUNDLE SESSION-SCRIPT FOLDER" >&2
    exit 2
fi
run_in_ardour=$1
bundle=$2
session_script=$3
folder=$4
for tool in ardour xdotool xwininfo Xvfb; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "$tool is not installed: skipped"
        exit 77
    fi
done

rm -rf "$folder"
mkdir -p "$folder" || exit 1
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill -- "-$pid" 2>/dev/null || kill "$pid" 2>/dev/null
    done
}
trap cleanup EXIT

fail() {
    echo "FAILED: $*"
    [ -f "$folder/ardour.log" ] && tail -n 20 "$folder/ardour.log"
    exit 1
}

# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
    local tenths=$1
    shift
    for _ in $(seq "$tenths"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# 1. The session, made and saved by a headless Ardour (which also scans the bundle).
"$run_in_ardour" "$bundle" "$folder" "$session_script" "$folder/session" >"$folder/session.log" 2>&1
status=$?
[ "$status" -eq 77 ] && { cat "$folder/session.log"; exit 77; }
[ "$status" -eq 0 ] || { cat "$folder/session.log"; fail "no session (RunInArdour.sh: $status)"; }
session_file=$folder/session/brask.ardour
route=$(grep -o '<Route [^>]*name="Synth"' "$session_file" | grep -o ' id="[0-9]*"' | grep -o '[0-9]*')
processor=$(grep -o '<Processor id="[0-9]*" name="Brask"' "$session_file" | grep -o '[0-9]*' | head -n 1)
[ -n "$route" ] && [ -n "$processor" ] || fail "no Brask on the session's track"
# Ardour reopens the plug-in windows that were open when the session was saved.
sed -i "s|^</Session>|  <Extra><UI><Window name=\"P-$route-$processor\" visible=\"1\" x-off=\"0\" y-off=\"0\" x-size=\"-1\" y-size=\"-1\" custom-ui=\"1\"/></UI></Extra>\n</Session>|" \
    "$session_file" || exit 1

# 2. Ardour's own settings: no first-run wizard, the Dummy backend started without asking.
home=$folder/home
config=$home/.config/ardour7
mkdir -p "$config" || exit 1
touch "$config/.a7"
cat >"$config/config" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<Ardour>
  <Config>
    <Option name="hide-dummy-backend" value="0"/>
    <Option name="try-autostart-engine" value="1"/>
  </Config>
  <Extra>
    <AudioMIDISetup>
      <EngineStates>
        <State backend="None (Dummy)" driver="Normal Speed" device="Silence" input-device="" output-device="" sample-rate="48000" buffer-size="1024" n-periods="0" input-latency="0" output-latency="0" lm-input="" lm-output="" active="1" use-buffered-io="0" midi-option="1 in, 1 out, Silence" lru="1">
          <MIDIDevices/>
        </State>
      </EngineStates>
    </AudioMIDISetup>
  </Extra>
</Ardour>
EOF
settings=$home/.config/tarvik/brask.conf

# 3. A private X server; it writes its display number when it is ready.
setsid Xvfb -displayfd 3 -screen 0 1920x1200x24 -nolisten tcp 3>"$folder/display" \
    >"$folder/xvfb.log" 2>&1 &
pids+=($!)
wait_for 100 grep -q . "$folder/display" || fail "Xvfb did not start"
export DISPLAY=:$(head -n 1 "$folder/display")

# 4. Ardour with its window, and Brask's window in it.
HOME=$home XDG_CONFIG_HOME=$home/.config XDG_CACHE_HOME=$home/.cache \
    XDG_DATA_HOME=$home/.local/share setsid ardour -n -a "$session_file" \
    >"$folder/ardour.log" 2>&1 &
pids+=($!)
plugin_window() { xdotool search --onlyvisible --name "Brask \(by Tarvik\)" 2>/dev/null | head -n 1; }
has_plugin_window() { test -n "$(plugin_window)"; }
wait_for 900 has_plugin_window || fail "Ardour opened no Brask window within 90 s"
window=$(plugin_window)
# The editor is the innermost window of the panel's size inside Ardour's plug-in window.
editor_window() {
    xwininfo -id "$window" -tree | grep -E "^ +0x[0-9a-f]+ .*\) +$1x$2\+" | tail -n 1 | awk '{print $1}'
}
has_editor_window() { test -n "$(editor_window 778 465)"; }
wait_for 100 has_editor_window || fail "no 778 x 465 editor in Ardour's window"
editor=$(editor_window 778 465)

size_of() { xwininfo -id "$1" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}'; }
origin_of() {
    xwininfo -id "$1" | awk '/Absolute upper-left X:/ {x = $4} /Absolute upper-left Y:/ {y = $4} END {print x, y}'
}
editor_has_size() { test "$(size_of "$editor")" = "$1"; }

# 5. Zoom through the menu. At 100 % the background point lies at (420, 26) of the panel, the
# menu's "Zoom" row 99 pixels below it and the submenu's rows, 20 pixels apart, 178 to its
# right; all of it scales with the zoom in effect.
factors=(100 125 150 175 200)
zoom=100
choose_zoom() {
    local percent=$1 width=$2 height=$3 row=-1 i x y
    for i in "${!factors[@]}"; do [ "${factors[$i]}" -eq "$percent" ] && row=$i; done
    read -r x y < <(origin_of "$editor")
    x=$((x + 420 * zoom / 100))
    y=$((y + 26 * zoom / 100))
    xdotool mousemove "$x" "$y" click 3
    sleep 0.5
    xdotool mousemove $((x + 36 * zoom / 100)) $((y + 99 * zoom / 100)) click 1
    sleep 0.5
    xdotool mousemove $((x + 178 * zoom / 100)) $((y + (99 + 20 * row) * zoom / 100)) click 1
    # Away from the panel, so that no read-out keeps showing a hovered value.
    xdotool mousemove 1900 1190
    wait_for 100 editor_has_size "${width}x$height" ||
        fail "the editor is $(size_of "$editor") after choosing $percent %, not ${width}x$height"
    local outer
    outer=$(size_of "$window")
    [ "${outer%x*}" -ge "$width" ] && [ "${outer#*x}" -ge "$height" ] ||
        fail "Ardour's window is $outer, too small for the ${width}x$height editor at $percent %"
    grep -qx "zoom=$percent" "$settings" 2>/dev/null ||
        fail "the settings file does not hold zoom=$percent: $(cat "$settings" 2>&1)"
    echo "$percent %: editor ${width}x$height in Ardour's ${outer} window, settings zoom=$percent"
    zoom=$percent
}

choose_zoom 150 1167 698
choose_zoom 200 1556 930
choose_zoom 125 973 581
choose_zoom 100 778 465
echo "passed"
