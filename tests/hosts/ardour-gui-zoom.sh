#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The editor's zoom menu in Ardour 7's own plug-in window: Ardour opens a session whose Brask
# window was left open, on a private X server, at the zoom of the settings file; a right-click on the panel's background, then
# Zoom and a factor, must grow or shrink the editor and Ardour's window around it, live, and
# write the choice into the settings file.
#
# Usage: ardour-gui-zoom.sh RUN-IN-ARDOUR BUNDLE SESSION-SCRIPT FOLDER
# Exits 77 where Ardour 7, xdotool, xwininfo or Xvfb are missing.
set -uo pipefail
[ $# -eq 4 ] || {
    echo "usage: ardour-gui-zoom.sh RUN-IN-ARDOUR BUNDLE SESSION-SCRIPT FOLDER" >&2
    exit 2
}
source "$(dirname "$0")/../support/ZoomThroughMenu.sh" || exit 1
run_in_ardour=$1
bundle=$2
session_script=$3
start_test "$4" ardour.log ardour xdotool xwininfo Xvfb

# The session, made and saved by a headless Ardour (which also scans the bundle).
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

# Ardour's own settings: no first-run wizard, the Dummy backend started without asking.
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

# The zoom a musician chose earlier: Ardour's window must open at it.
mkdir -p "$home/.config/tarvik" && echo "zoom=150" >"$home/.config/tarvik/brask.conf" || exit 1

start_x_server
HOME=$home XDG_CONFIG_HOME=$home/.config XDG_CACHE_HOME=$home/.cache \
    XDG_DATA_HOME=$home/.local/share start_process ardour -n -a "$session_file" >"$log" 2>&1
find_editor "Brask \(by Tarvik\)" 150
zoom_through_menu "$home/.config/tarvik/brask.conf" 200 125 100 150
echo "passed"
