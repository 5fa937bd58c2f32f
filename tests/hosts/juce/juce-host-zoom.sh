#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The editor's zoom menu in a JUCE-based host (brask-juce-host) on a private X server: a
# right-click on the panel's background, then Zoom and a factor, must grow or shrink the editor
# and JUCE's window around it, live, and write the choice into the settings file.
#
# Usage: juce-host-zoom.sh BRASK-JUCE-HOST BUNDLE FOLDER
# Exits 77 where xdotool, xwininfo or Xvfb are missing.
set -uo pipefail
[ $# -eq 3 ] || { echo "usage: juce-host-zoom.sh BRASK-JUCE-HOST BUNDLE FOLDER" >&2; exit 2; }
source "$(dirname "$0")/../../support/ZoomThroughMenu.sh" || exit 1
host=$1
bundle=$2
start_test "$3" host.log xdotool xwininfo Xvfb

start_x_server
home=$folder/home
mkdir -p "$home" || exit 1
HOME=$home XDG_CONFIG_HOME=$home/.config start_process "$host" "$bundle" >"$log" 2>&1
find_editor "Brask in a JUCE host" 100
zoom_through_menu "$home/.config/tarvik/brask.conf" 150 200 175 125 100
# JUCE's editor component followed each step, as JUCE itself reports it.
expected="editor 1167x698 editor 1556x930 editor 1362x814 editor 973x581 editor 778x465"
reported=$(grep -x "editor [0-9]*x[0-9]*" "$log" | tr '\n' ' ' | sed 's/ $//')
[ "$reported" = "$expected" ] || fail "JUCE's editor component went through \"$reported\""
echo "passed"
