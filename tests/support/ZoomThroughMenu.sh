# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the host tests that zoom Brask's editor through its context menu inside a real
# host's window, with real X pointer input (xdotool), and measure the windows (xwininfo).
#
# The sourcing script calls, in this order:
#   start_test FOLDER LOG-NAME PROGRAM...; start_x_server; ...starts the host, its output into
#   "$log"...; find_editor WINDOW-NAME PERCENT; zoom_through_menu SETTINGS-FILE PERCENT...

pids=()
stop_processes() {
    for pid in "${pids[@]}"; do
        kill -- "-$pid" 2>/dev/null || kill "$pid" 2>/dev/null
    done
}
trap stop_processes EXIT

fail() {
    echo "FAILED: $*"
    [ -f "$log" ] && tail -n 20 "$log"
    exit 1
}

# Skips (exit 77) where one of the named programs is missing.
require_programs() {
    local program
    for program in "$@"; do
        if ! command -v "$program" >/dev/null 2>&1; then
            echo "$program is not installed: skipped"
            exit 77
        fi
    done
}

# start_test FOLDER LOG-NAME PROGRAM...: skips (exit 77) where a program is missing, then sets
# `folder` (emptied) and `log` (the host's output in it, shown on failure).
start_test() {
    folder=$1
    log=$1/$2
    shift 2
    require_programs "$@"
    rm -rf "$folder"
    mkdir -p "$folder" || exit 1
}

# wait_for TENTHS COMMAND...: true once COMMAND succeeds, false after TENTHS tenths of a second.
wait_for() {
    local tenths=$1
    shift
    for _ in $(seq "$tenths"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# Runs the rest of the line in a process group of its own, ended when the script ends.
start_process() {
    setsid "$@" &
    pids+=($!)
}

# A private X server, wide enough for the editor at 200 %; it writes its display number when
# it is ready, so that no two tests race for one.
start_x_server() {
    start_process Xvfb -displayfd 3 -screen 0 1920x1200x24 -nolisten tcp 3>"$folder/display" \
        >"$folder/xvfb.log" 2>&1
    wait_for 100 grep -q . "$folder/display" || fail "Xvfb did not start"
    DISPLAY=:$(head -n 1 "$folder/display")
    export DISPLAY
}

size_of() { xwininfo -id "$1" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}'; }
origin_of() {
    xwininfo -id "$1" |
        awk '/Absolute upper-left X:/ {x = $4} /Absolute upper-left Y:/ {y = $4} END {print x, y}'
}
named_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
has_named_window() { test -n "$(named_window "$1")"; }
# The editor: the innermost window of the given size inside the host's window.
editor_in() {
    xwininfo -id "$1" -tree | grep -E "^ +0x[0-9a-f]+ .*\) +$2\+" | tail -n 1 | awk '{print $1}'
}
has_editor_in() { test -n "$(editor_in "$1" "$2")"; }
editor_has_size() { test "$(size_of "$editor")" = "$1"; }

# The editor's size at each zoom step: the panel's 778 x 465 times the zoom, rounded.
zoom_factors=(100 125 150 175 200)
zoom_sizes=(778x465 973x581 1167x698 1362x814 1556x930)
size_at() {
    local i
    for i in "${!zoom_factors[@]}"; do
        [ "${zoom_factors[$i]}" -eq "$1" ] && echo "${zoom_sizes[$i]}"
    done
}

# find_editor NAME-PATTERN PERCENT: sets `window` (the host's window showing Brask) and
# `editor`, which must have opened at the zoom given.
find_editor() {
    wait_for 900 has_named_window "$1" || fail "no window named \"$1\" within 90 s"
    window=$(named_window "$1")
    wait_for 100 has_editor_in "$window" "$(size_at "$2")" ||
        fail "no $(size_at "$2") editor (zoom $2 %) in the host's window"
    editor=$(editor_in "$window" "$(size_at "$2")")
    zoom=$2
    echo "opened at $2 %: editor $(size_at "$2")"
}

# At 100 % the background point lies at (420, 26) of the panel, the menu's rows below it (their
# middles in `menu_rows`), the zoom submenu's rows 20 pixels apart, 178 to the right of the
# point and level with "Zoom" at first; all of it scales with the zoom in effect.
# Right-clicks the panel's background, where the context menu opens.
open_context_menu() {
    read -r menu_x menu_y < <(origin_of "$editor")
    menu_x=$((menu_x + 420 * zoom / 100))
    menu_y=$((menu_y + 26 * zoom / 100))
    xdotool mousemove "$menu_x" "$menu_y" click 3
    sleep 0.5
}

# choose_menu_row ROW: clicks the context menu's row (0 "Presets", 1 "Previous preset",
# 2 "Next preset", 3 "Save preset as...", then after a separator 4 "Zoom", 5 "About Brask").
menu_rows=(12 31 52 72 99 125)
choose_menu_row() {
    open_context_menu
    xdotool mousemove $((menu_x + 36 * zoom / 100)) $((menu_y + menu_rows[$1] * zoom / 100)) click 1
    sleep 0.5
    xdotool mousemove 1900 1190
}

# choose_zoom PERCENT SETTINGS-FILE
choose_zoom() {
    local percent=$1 settings=$2 row=-1 i outer width height
    width=$(size_at "$percent")
    height=${width#*x}
    width=${width%x*}
    for i in "${!zoom_factors[@]}"; do [ "${zoom_factors[$i]}" -eq "$percent" ] && row=$i; done
    open_context_menu
    xdotool mousemove $((menu_x + 36 * zoom / 100)) $((menu_y + menu_rows[4] * zoom / 100)) click 1
    sleep 0.5
    xdotool mousemove $((menu_x + 178 * zoom / 100)) \
        $((menu_y + (menu_rows[4] + 20 * row) * zoom / 100)) click 1
    # Away from the panel, so that no read-out keeps showing a hovered value.
    xdotool mousemove 1900 1190
    wait_for 100 editor_has_size "${width}x$height" ||
        fail "the editor is $(size_of "$editor") after choosing $percent %, not ${width}x$height"
    outer=$(size_of "$window")
    [ "${outer%x*}" -ge "$width" ] && [ "${outer#*x}" -ge "$height" ] ||
        fail "the host's window is $outer, too small for the ${width}x$height editor at $percent %"
    grep -qx "zoom=$percent" "$settings" 2>/dev/null ||
        fail "the settings file does not hold zoom=$percent: $(cat "$settings" 2>&1)"
    echo "$percent %: editor ${width}x$height in the host's ${outer} window, settings zoom=$percent"
    zoom=$percent
}

# zoom_through_menu SETTINGS-FILE PERCENT...: each step through the menu; the host's window must
# follow each one.
zoom_through_menu() {
    local settings=$1 percent
    shift
    for percent in "$@"; do
        choose_zoom "$percent" "$settings"
    done
}
