#!/usr/bin/env bash
# The program as a native Wayland client of sway: the main screen shows, the window floats at
# its own size although sway tiles by default, and dragging the top bar with a (virtual)
# pointer moves it, twice, as the compositor's tree tells. Optionally saves a screenshot.
#
# usage: sway_session.sh window_on_sway.sh <stryla-config-sim> <source modules folder>
#            <virtual_pointer> [screenshot.png]
set -u
exe=$1 modules=$2 pointer=$3 shot=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
work=$STRYLA_WL_WORK/program
pid=""
trap '[ -n "$pid" ] && kill -9 $pid 2>/dev/null' EXIT
fail() { echo "FAIL: $*"; echo "--- program output"; cat "$work/out.log"; exit 1; }
source "$here/../e2e/install.sh"
install_program "$exe" "$modules" 553 "$work"

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

STRYLA_SIM_WIRE_LOG="$work/wire.log" "$program" > "$work/out.log" 2>&1 &
pid=$!
for _ in $(seq 100); do
    read -r mode x y w h <<< "$(window)"
    [ -n "${mode:-}" ] && break
    sleep 0.1
done
[ -n "${mode:-}" ] || fail "no window of the program in sway's tree"
[ "$mode $w $h" = "floating 1024 640" ] || fail "the window is $mode at ${w}x$h, not floating at 1024x640"
grep -q "Device Connect" "$work/out.log" || sleep 1
sleep 1  # the scene's first frames

# Press on the empty top bar, beside the title, and drag by (+150, +90); then drag back a bit.
# The window follows the pointer from the first step on, which hands the move to the
# compositor: the first step itself (3, 2) does not move it.
drag() {
    local from_x=$1 from_y=$2 dx=$3 dy=$4
    "$pointer" 1280 800 move "$from_x" "$from_y" wait 150 press wait 100 \
        move $((from_x + 3)) $((from_y + 2)) wait 250 \
        drag $((from_x + 3 + dx)) $((from_y + 2 + dy)) 12 wait 150 release wait 200 \
        || fail "the virtual pointer"
}
expect_at() {
    local want_x=$1 want_y=$2
    for _ in $(seq 30); do
        read -r mode x y w h <<< "$(window)"
        [ "$x $y" = "$want_x $want_y" ] && return 0
        sleep 0.1
    done
    fail "after the drag the window is at $x,$y, not $want_x,$want_y"
}
x0=$x y0=$y
drag $((x0 + 500)) $((y0 + 30)) 150 90
expect_at $((x0 + 150)) $((y0 + 90))
drag $((x0 + 650)) $((y0 + 120)) -60 -40
expect_at $((x0 + 90)) $((y0 + 50))
[ "$mode $w $h" = "floating 1024 640" ] || fail "after the drags: $mode at ${w}x$h"

if [ -n "$shot" ]; then
    "$pointer" 1280 800 move 1279 799 wait 300 || fail "the virtual pointer"
    grim "$shot" || fail "grim"
fi
# A click after the drags reaches its control: the close button hides the window.
read -r mode x y w h <<< "$(window)"
"$pointer" 1280 800 move $((x + 988)) $((y + 27)) wait 150 press wait 60 release wait 300 \
    || fail "the virtual pointer"
for _ in $(seq 30); do [ -z "$(window)" ] && break; sleep 0.1; done
[ -z "$(window)" ] || fail "the close button did not hide the window after the drags"
kill -0 $pid 2>/dev/null || fail "the program ended instead of hiding its window"

# This compositor has no tray: the program says so once, and Qt adds no warnings of its own.
[ "$(grep -c "^No system tray on this desktop" "$work/out.log")" = 1 ] || fail "the no-tray line"
grep -q "^qt\." "$work/out.log" && fail "Qt warnings"
kill -TERM $pid
for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
echo "PASS: window on sway"
