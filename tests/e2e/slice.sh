#!/usr/bin/env bash
# The whole program as a user runs it, under an X server: stryla-config-sim installed in a
# fresh folder starts, finds the simulated mouse, shows its window, refuses a second copy,
# and ends with exit code 0 through its quit path. The simulated device's wire log must show
# the start-up exchange of the configured family.
#
# usage: slice.sh <stryla-config-sim> <source modules folder> <family: 553|560>
set -u
exe=$1 modules=$2 family=$3
work=$(mktemp -d)
trap 'kill -9 $pid 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; echo "--- program output"; cat "$work/out.log"; exit 1; }

source "$(dirname "$0")/install.sh"
install_program "$exe" "$modules" "$family" "$work"

# Started from another folder: it must still find ./modules beside itself.
cd /
STRYLA_SIM_WIRE_LOG="$work/wire.log" "$program" > "$work/out.log" 2>&1 &
pid=$!

window=$(timeout 15 xdotool search --sync --onlyvisible --name "KORVANE STRYLA Z7" | head -1)
[ -n "$window" ] || fail "the window did not appear"
# Tiling window managers float it at its size: a dialog of one size (minimum = maximum).
xprop -id "$window" _NET_WM_WINDOW_TYPE | grep -q "_NET_WM_WINDOW_TYPE_DIALOG" \
    || fail "window type: $(xprop -id "$window" _NET_WM_WINDOW_TYPE)"
hints=$(xprop -id "$window" WM_NORMAL_HINTS)
grep -q "minimum size: 1024 by 640" <<< "$hints" && grep -q "maximum size: 1024 by 640" <<< "$hints" \
    || fail "size hints: $hints"
grep -qx "Device Connect" "$work/out.log" || fail "no 'Device Connect' line"
# Under an X display capture is global, but only X programs are watched.
grep -qx "Input hooks: global (X11 programs only)" "$work/out.log" \
    || fail "no 'Input hooks: global (X11 programs only)' line"
# The window shows the scene, not an empty frame (give a slow build time to draw it).
for _ in $(seq 40); do
    sleep 0.25
    import -window root "$work/screen.png" 2>/dev/null || continue
    deviation=$(convert "$work/screen.png" -crop 1024x640+0+0 -format "%[fx:standard_deviation]" info:)
    awk "BEGIN { exit !($deviation > 0.02) }" && break
done
awk "BEGIN { exit !($deviation > 0.02) }" || fail "the window looks empty ($deviation)"

# A second copy hands over and ends with exit code 1.
timeout 10 "$program" > "$work/second.log" 2>&1
code=$?
[ "$code" -eq 1 ] || fail "the second copy ended with $code"

# Quitting: the termination signal takes the same path as "Quit (&Q)".
kill -TERM $pid
for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && fail "the program did not end"
wait $pid
code=$?
[ "$code" -eq 0 ] || fail "the program ended with $code"

# The start-up exchange of the family: option read, write-back with the DPI-report bit, and
# the scene's first question for the current DPI stage.
[ -s "$work/wire.log" ] || fail "no wire log"
if [ "$family" = 560 ]; then
    expected=("feature-out +00 81 " "feature-out +00 01 .. " "feature-out +00 8C 00 " "feature-out +00 8C 01 " "feature-out +00 82 " "feature-out +00 84 01 ")
else
    expected=("feature-out +00 83 " "feature-out +00 03 .. .. .. .. " "feature-out +00 8B ")
fi
log=$(grep -o "FeatureOut *[0-9A-F ]*" "$work/wire.log" | sed 's/FeatureOut */feature-out /')
line=0
for pattern in "${expected[@]}"; do
    found=$(printf '%s\n' "$log" | tail -n +$((line + 1)) | grep -n -m1 -E "^${pattern}" | cut -d: -f1)
    [ -n "$found" ] || { printf '%s\n' "$log"; fail "missing or out of order: $pattern"; }
    line=$((line + found))
done
if [ "$family" = 553 ]; then
    byte4=$(printf '%s\n' "$log" | grep -m1 -E "^feature-out +00 03 " | awk '{print $7}')
    (( (16#$byte4 & 0x40) != 0 )) || fail "the option write-back lacks bit 0x40 ($byte4)"
else
    byte1=$(printf '%s\n' "$log" | grep -m1 -E "^feature-out +00 01 " | awk '{print $4}')
    (( (16#$byte1 & 0x08) != 0 )) || fail "the option write-back lacks bit 0x08 ($byte1)"
fi
echo "PASS: family $family"
