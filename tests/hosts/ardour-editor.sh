#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Brask's editor in Ardour 7's own plug-in window, through its context menu: Ardour opens a
# session whose Brask window was left open, on a private X server, at the zoom of the settings
# file. Zoom and a factor must grow or shrink the editor and Ardour's window around it, live,
# and write the choice into the settings file. "Next preset" must load a factory preset as a
# host does: Ardour's generic controls and the saved state must be those of a session in which
# Ardour loaded the same preset file from its own preset list.
#
# Usage: ardour-editor.sh RUN-IN-ARDOUR BUNDLE SESSION-SCRIPT BANK-FOLDER INSTALL-BANK FOLDER
# Exits 77 where Ardour 7, xdotool, xwininfo, Xvfb or perl are missing.
set -uo pipefail
[ $# -eq 6 ] || {
    echo "usage: ardour-editor.sh RUN-IN-ARDOUR BUNDLE SESSION-SCRIPT BANK-FOLDER INSTALL-BANK" \
        "FOLDER" >&2
    exit 2
}
source "$(dirname "$0")/../support/ZoomThroughMenu.sh" || exit 1
run_in_ardour=$1
bundle=$2
session_script=$3
bank=$4
install_bank=$5
start_test "$6" ardour.log ardour xdotool xwininfo Xvfb perl

# The session, made and saved by a headless Ardour (which also scans the bundle).
"$run_in_ardour" "$bundle" "$folder" "$session_script" "$folder/session" >"$folder/session.log" 2>&1
status=$?
[ "$status" -eq 77 ] && { cat "$folder/session.log"; exit 77; }
[ "$status" -eq 0 ] || { cat "$folder/session.log"; fail "no session (RunInArdour.sh: $status)"; }
session_file=$folder/session/brask.ardour
# brask_processor SESSION-FILE: the ID of the session's Brask processor.
brask_processor() {
    grep -o '<Processor id="[0-9]*" name="Brask"' "$1" | grep -o '[0-9]*' | head -n 1
}
route=$(grep -o '<Route [^>]*name="Synth"' "$session_file" | grep -o ' id="[0-9]*"' |
    grep -o '[0-9]*')
processor=$(brask_processor "$session_file")
[ -n "$route" ] && [ -n "$processor" ] || fail "no Brask on the session's track"
# Ardour reopens the plug-in windows that were open when the session was saved.
window_state="<Window name=\"P-$route-$processor\" visible=\"1\" x-off=\"0\" y-off=\"0\""
window_state+=" x-size=\"-1\" y-size=\"-1\" custom-ui=\"1\"/>"
sed -i "s|^</Session>|  <Extra><UI>$window_state</UI></Extra>\n</Session>|" "$session_file" ||
    exit 1

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
        <State backend="None (Dummy)" driver="Normal Speed" device="Silence" input-device=""
               output-device="" sample-rate="48000" buffer-size="1024" n-periods="0"
               input-latency="0" output-latency="0" lm-input="" lm-output="" active="1"
               use-buffered-io="0" midi-option="1 in, 1 out, Silence" lru="1">
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

# "Next preset" twice: the first of the list (the Init sound), then the one after it.
choose_menu_row 2
choose_menu_row 2
# Ardour writes its generic controls and the plug-in's state when the session is saved.
saved_before=$(stat -c %Y.%s "$session_file")
session_saved() { [ "$(stat -c %Y.%s "$session_file")" != "$saved_before" ]; }
sleep 1
xdotool key --window "$(named_window " - Ardour$")" ctrl+s
wait_for 100 session_saved || fail "Ardour did not save the session"
compare=$(dirname "$0")/session-preset.pl
preset=$("$compare" which "$session_file" "$processor" "$bank") ||
    fail "after \"Next preset\" the saved state holds no factory preset"
preset=${preset%.vstpreset}
[ "$preset" != Init ] || fail "\"Next preset\" stayed at Init"
echo "\"Next preset\" loaded $preset"

# The same preset loaded by Ardour itself, from its preset list, in a session of its own.
"$run_in_ardour" --bank "$bank" "$install_bank" "$bundle" "$folder/by-ardour" \
    "$session_script" "$folder/by-ardour/session" "$preset" >"$folder/by-ardour.log" 2>&1 ||
    { cat "$folder/by-ardour.log"; fail "Ardour did not load $preset itself"; }
by_ardour=$folder/by-ardour/session/brask.ardour
"$compare" same "$session_file" "$processor" "$by_ardour" "$(brask_processor "$by_ardour")" ||
    fail "$preset from the editor's menu and from Ardour's own list differ"
echo "Ardour's controls and the saved state equal those of Ardour loading $preset itself"
echo "passed"
