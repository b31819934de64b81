#!/usr/bin/env bash
# The program as a native Wayland client of sway (or, with STRYLA_WL_CLIENT=x11, an X11 client
# of its XWayland): the main screen shows, the window floats at its own size although sway tiles
# by default, and dragging the top bar with a (virtual) pointer moves it by the whole drag,
# twice, as the compositor's tree tells. Optionally saves a screenshot.
#
# usage: sway_session.sh window_on_sway.sh <stryla-config-sim> <source modules folder>
#            <virtual_pointer> [screenshot.png]
set -u
exe=$1 modules=$2 pointer=$3 shot=${4:-}
source "$(dirname "$0")/program_in_session.sh"

# The program's window in sway's tree: "floating x y width height", or nothing.
window() {
    swaymsg -t get_tree | python3 -c '
import json, sys
def walk(node, floating):
    if node.get("pid") == int(sys.argv[1]) and node.get("visible"):
        r = node["rect"]
        print("floating" if floating else "tiled", r["x"], r["y"], r["width"], r["height"])
    for child in node.get("nodes", []):
        walk(child, floating)
    for child in node.get("floating_nodes", []):
        walk(child, True)
walk(json.load(sys.stdin), False)' "$pid" | head -1
}

# With x11 the program runs as an X11 client of XWayland, on the display sway gives its own.
if [ "${STRYLA_WL_CLIENT:-}" = x11 ]; then
    swaymsg exec "echo \$DISPLAY > $work/display" > /dev/null
    for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
    export DISPLAY=$(cat "$work/display") QT_QPA_PLATFORM=xcb
    [ -n "$DISPLAY" ] || fail "sway names no X display"
fi
STRYLA_SIM_WIRE_LOG="$work/wire.log" "$program" > "$work/out.log" 2>&1 &
pid=$!
for _ in $(seq 100); do
    read -r mode x y w h <<< "$(window)"
    [ -n "${mode:-}" ] && break
    sleep 0.1
done
[ -n "${mode:-}" ] || fail "no window of the program in sway's tree"
[ "$mode $w $h" = "floating 1024 640" ] || fail "the window is $mode at ${w}x$h, not floating at 1024x640"
# The start picture shows while the program first talks to the mouse; then the main screen.
for _ in $(seq 100); do grep -qx "Device Connect" "$work/out.log" && break; sleep 0.1; done
sleep 1.5

source "$here/pointer.sh"
start_pointer "$pointer"
# drag FROM_X FROM_Y DX DY: press there and drag in three steps; the window must move by the
# whole drag, its first step included. A press that comes before the program has taken the new
# pointer device is lost (the window stays): it is tried again, three times at most.
drag() {
    local px=$1 py=$2 dx=$3 dy=$4 start_x start_y attempt
    read -r mode start_x start_y w h <<< "$(window)"
    for attempt in 1 2 3; do
        point move "$px" "$py"
        point wait 150
        point press
        point wait 400
        point drag $((px + dx)) $((py + dy)) 3
        point wait 150
        point release
        point wait 200
        read -r mode x y w h <<< "$(window)"
        [ "$x $y" != "$start_x $start_y" ] && break
    done
    expect_at $((start_x + dx)) $((start_y + dy))
}
# The compositor keeps positions as fractions: a pixel either way is the same place.
expect_at() {
    local want_x=$1 want_y=$2
    for _ in $(seq 30); do
        read -r mode x y w h <<< "$(window)"
        [ $((x - want_x)) -ge -1 ] && [ $((x - want_x)) -le 1 ] \
            && [ $((y - want_y)) -ge -1 ] && [ $((y - want_y)) -le 1 ] && return 0
        sleep 0.1
    done
    fail "after the drag the window is at $x,$y, not $want_x,$want_y"
}
# Press on the empty top bar, beside the title, and drag down right; then from the middle of
# the window back up left (the second drag starts with a new press).
x0=$x y0=$y
drag $((x0 + 500)) $((y0 + 30)) 150 90
x1=$x y1=$y
drag $((x1 + 650)) $((y1 + 120)) -60 -40
[ "$mode $w $h" = "floating 1024 640" ] || fail "after the drags: $mode at ${w}x$h"

if [ -n "$shot" ]; then
    point move 1279 799
    point wait 300
    grim "$shot" || fail "grim"
fi
# A click after the drags reaches its control: the close button hides the window.
read -r mode x y w h <<< "$(window)"
click $((x + 988)) $((y + 27))
for _ in $(seq 30); do [ -z "$(window)" ] && break; sleep 0.1; done
[ -z "$(window)" ] || fail "the close button did not hide the window after the drags"
kill -0 $pid 2>/dev/null || fail "the program ended instead of hiding its window"

# This compositor has no tray: the program says so once, and Qt adds no warnings of its own.
[ "$(grep -c "^No system tray on this desktop" "$work/out.log")" = 1 ] || fail "the no-tray line"
grep -q "^qt\." "$work/out.log" && fail "Qt warnings"
kill -TERM $pid
for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done

# A compositor that is gone, and no X display: one line says so.
gone=$(env -u DISPLAY -u QT_QPA_PLATFORM WAYLAND_DISPLAY=wayland-gone "$program" 2>&1)
status=$?
[ $status = 1 ] && [ "$gone" = "No display to connect to: WAYLAND_DISPLAY wayland-gone does not answer, DISPLAY is not set" ] \
    || fail "without a display (exit $status): $gone"
echo "PASS: window on sway"
