#!/usr/bin/env bash
# Macro recording on a Wayland desktop without X: keys typed into the program's own window
# (a virtual keyboard with the standard keymap) are recorded as the keys they are, and the
# program says that it sees its own window only.
#
# usage: sway_session.sh macro_on_sway.sh <stryla-config-sim> <source modules folder>
#            <virtual_pointer> <virtual_keyboard>
set -u
exe=$1 modules=$2 pointer=$3 keyboard=$4
source "$(dirname "$0")/program_in_session.sh"

"$program" > "$work/out.log" 2>&1 &
pid=$!
for _ in $(seq 100); do
    swaymsg -t get_tree | grep -q "\"pid\": $pid," && break
    sleep 0.1
done
# The start picture shows while the program first talks to the mouse; then the main screen.
for _ in $(seq 100); do grep -qx "Device Connect" "$work/out.log" && break; sleep 0.1; done
sleep 1.5
grep -qx "Input hooks: window only" "$work/out.log" || fail "no 'Input hooks: window only' line"

# The window opens centred on the 1280x800 output, at 128,80.
source "$here/pointer.sh"
start_pointer "$pointer"
click $((128 + 120)) $((80 + 512))  # Macro Editor
click $((128 + 247)) $((80 + 519))  # New
click $((128 + 737)) $((80 + 183))  # Start Record
# Q and W, then Esc ends the recording and Esc closes the editor.
"$keyboard" 16 17 wait:300 1 wait:300 1 wait:300 || fail "the virtual keyboard"

macro=""
for _ in $(seq 30); do
    macro=$(ls "$work"/modules/macro/*.bin 2>/dev/null | head -1)
    [ -n "$macro" ] && grep -q '="2,W"' "$macro" && break
    sleep 0.1
done
[ -n "$macro" ] || fail "no macro file"
steps=$(sed -n '/^\[macro\]/,/^\[/p' "$macro" | grep "=" | tr '\n' ' ')
[ "$steps" = '0="1,Q" 1="2,Q" 2="1,W" 3="2,W" ' ] || fail "recorded steps: $steps"
kill -TERM $pid
for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
echo "PASS: macro on sway"
