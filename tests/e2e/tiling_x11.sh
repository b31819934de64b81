#!/usr/bin/env bash
# The window under a tiling X11 window manager (i3): it floats at its one size instead of
# filling a tile, and dragging its top bar moves it (i3 moves it from the press on, asked by the
# program), as i3's tree tells.
#
# usage: tiling_x11.sh <stryla-config-sim> <source modules folder>   (run inside xvfb-run)
set -u
exe=$1 modules=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
pid="" wm=""
trap '{ kill -9 $pid $wm; wait; } 2> /dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; echo "--- program output"; cat "$work/out.log"; exit 1; }
source "$here/install.sh"
install_program "$exe" "$modules" 553 "$work"

printf 'font pango:DejaVu Sans 8\nfocus_follows_mouse no\n' > "$work/i3.conf"
i3 -c "$work/i3.conf" > "$work/i3.log" 2>&1 &
wm=$!
for _ in $(seq 50); do i3-msg -t get_version > /dev/null 2>&1 && break; sleep 0.1; done

# The program's window in i3's tree: "floating x y width height", or nothing.
window() {
    i3-msg -t get_tree | python3 -c '
import json, sys
def walk(node, floating):
    if node.get("window") and node.get("name") == "KORVANE STRYLA Z7":
        r = node["rect"]
        print("floating" if floating else "tiled", r["x"], r["y"], r["width"], r["height"])
    for child in node.get("nodes", []):
        walk(child, floating)
    for child in node.get("floating_nodes", []):
        walk(child, True)
walk(json.load(sys.stdin), False)' | head -1
}

"$program" > "$work/out.log" 2>&1 &
pid=$!
for _ in $(seq 100); do
    read -r mode x y w h <<< "$(window)"
    [ -n "${mode:-}" ] && break
    sleep 0.1
done
[ "${mode:-} ${w:-} ${h:-}" = "floating 1024 640" ] || fail "the window is ${mode:-missing} at ${w:-?}x${h:-?}"
for _ in $(seq 100); do grep -qx "Device Connect" "$work/out.log" && break; sleep 0.1; done
sleep 1.5

# Press on the top bar beside the title and drag by (+120, +60) in small steps.
x0=$x y0=$y
xdotool mousemove $((x0 + 500)) $((y0 + 30)) sleep 0.2 mousedown 1 sleep 0.1
for i in $(seq 1 12); do xdotool mousemove $((x0 + 500 + i * 10)) $((y0 + 30 + i * 5)) sleep 0.03; done
xdotool sleep 0.2 mouseup 1
for _ in $(seq 30); do
    read -r mode x y w h <<< "$(window)"
    [ "$x $y" = "$((x0 + 120)) $((y0 + 60))" ] && break
    sleep 0.1
done
[ "$x $y" = "$((x0 + 120)) $((y0 + 60))" ] || fail "after the drag the window is at $x,$y, not $((x0 + 120)),$((y0 + 60))"
[ "$mode $w $h" = "floating 1024 640" ] || fail "after the drag: $mode at ${w}x$h"
echo "PASS: tiling X11"
