#!/usr/bin/env bash
# The program worked from the keyboard alone, as installed, under an X server: real key
# events (xdotool), no pointer at all. Afterwards the simulated device's wire log and the
# files under modules/ must show what the keys did: button 3 became "Back Key", DPI stage 2
# changed and stage 3 was chosen, the "Breath" effect, a profile switch, a Reset refused with
# Esc and one confirmed with Enter, and a macro recorded from exactly the keys Q and W.
#
# With "560" the program runs as the 560 gun mouse, whose Save takes seconds: digits typed
# during a Save reach the field afterwards, the focus stays, and the progress bar rises.
#
# usage: keyboard.sh <stryla-config-sim> <source modules folder> [560]   (run inside
# dbus-run-session and xvfb-run)
set -u
exe=$1 modules=$2 family=${3:-553}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'kill -9 $pid 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; echo "--- program output"; cat "$work/out.log"; exit 1; }
source "$here/install.sh"
install_program "$exe" "$modules" "$family" "$work"
# A second profile to switch to.
sed -i "s/^profileName=.*/profileName=Standard0, Work1/" "$work/modules/setting/name.bin"
factory_dpi=$(grep -m1 "^dpiValueArray=" "$work/modules/setting/pD.bin")

dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
    > /dev/null 2>&1 || fail "no accessibility bus"
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 STRYLA_SIM_WIRE_LOG="$work/wire.log" "$program" > "$work/out.log" 2>&1 &
pid=$!
window=$(timeout 15 xdotool search --sync --onlyvisible --name "KORVANE STRYLA Z7" | head -1)
[ -n "$window" ] || fail "the window did not appear"
xdotool windowfocus --sync "$window"

if [ "$family" = 560 ]; then
    /usr/bin/python3 "$here/keyboard_check.py" "$(basename "$program")" "$window" --write \
        || fail "keys during a write"
    grep -q "44 keys typed while the mouse was written were dropped" "$work/out.log" \
        || fail "300 keys during a write: $(grep "keys typed" "$work/out.log")"
    # Ctrl+Q ended the program after saving the colour typed last (R 12 became 124).
    for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
    ! kill -0 $pid 2>/dev/null || fail "Ctrl+Q did not end the program"
    wait $pid || fail "the program ended with $? after Ctrl+Q"
    grep -q "124" "$work/modules/setting/p1.bin" || fail "the colour saved by Ctrl+Q's question is not in p1.bin"
    echo "PASS: keyboard (560)"
    exit 0
fi
/usr/bin/python3 "$here/keyboard_check.py" "$(basename "$program")" "$window" "$work/shooter.pf" \
    || fail "keyboard walk"

# The desktop's close hid the window and left the program running in the tray.
sleep 2
kill -0 $pid 2>/dev/null || fail "the program ended on the desktop's close"
[ -z "$(xdotool search --onlyvisible --name "KORVANE STRYLA Z7")" ] || fail "the window still shows after the desktop's close"

kill -TERM $pid
for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
wait $pid

setting=$work/modules/setting
value() { sed -n "/^\[$2\]/,/^\[/p" "$setting/$1" | grep -m1 "^$3=" | cut -d= -f2-; }
# Button 3 (position 2) is the back key in the first profile, and the device got it.
[ "$(value p1.bin mouseKeyMatrix 2)" = "0, 0, 243, 0" ] \
    || fail "button 3 in p1.bin: $(value p1.bin mouseKeyMatrix 2)"
# The device form of the first three buttons: left, right, back.
grep -A1 -m1 -E "FeatureOut +00 12 " "$work/wire.log" \
    | grep -qE "InterruptOut +00 01 00 F0 00 01 00 F1 00 01 00 F3 00 " \
    || fail "the device did not get the back key on button 3"
# Stage 2 changed, stage 3 in use, "Breath" stored; the Reset that Esc refused left them.
[ "$(grep -m1 '^dpiValueArray=' "$setting/p1.bin")" != "$factory_dpi" ] || fail "DPI stages unchanged"
grep -qE "FeatureOut +00 0B 03 " "$work/wire.log" || fail "stage 3 was not chosen on the device"
[ "$(value p1.bin mouse lightValue | cut -d, -f1)" = "1" ] || fail "light in p1.bin: $(value p1.bin mouse lightValue)"
# The profile switch stored profile 1 as the one in use, and the Reset went to it.
[ "$(value apConfig.bin mouse profileNo)" = "1" ] || fail "profile in use: $(value apConfig.bin mouse profileNo)"
cmp -s <(sed -n '/^\[mouseKeyMatrix\]/,/^\[/p' "$setting/p2.bin") \
       <(sed -n '/^\[mouseKeyMatrix\]/,/^\[/p' "$setting/pD.bin") || fail "p2.bin was not reset"
# The Reset sequence ends with stage 2 in use; only the confirmed Reset sends it.
[ "$(grep -cE "FeatureOut +00 0B 02 " "$work/wire.log")" -eq 1 ] || fail "Reset sequences: $(grep -cE "FeatureOut +00 0B 02 " "$work/wire.log")"
# The recording holds exactly Q and W, pressed and released.
macro=$(ls "$work"/modules/macro/*.bin 2>/dev/null | head -1)
[ -n "$macro" ] || fail "no macro file"
steps=$(sed -n '/^\[macro\]/,/^\[/p' "$macro" | grep "=" | tr '\n' ' ')
[ "$steps" = '0="1,Q" 1="2,Q" 2="1,W" 3="2,W" ' ] || fail "recorded steps: $steps"
repeat=$(sed -n '/^\[config\]/,/^\[/p' "$macro" | grep -m1 "^repeat=" | cut -d= -f2-)
[ "$repeat" = 9999 ] || fail "repeat count after a refused keystroke: $repeat"
# The profile exported from the keyboard (the second, just reset) came back as the third.
cmp -s <(sed -n '/^\[mouseKeyMatrix\]/,/^\[/p' "$work/shooter.pf") \
       <(sed -n '/^\[mouseKeyMatrix\]/,/^\[/p' "$setting/pD.bin") || fail "the exported profile"
cmp -s "$work/shooter.pf" "$setting/p3.bin" || fail "the imported profile is not the exported file"
[ "$(grep -m1 '^profileName=' "$setting/name.bin" | tr ',' '\n' | wc -l)" -eq 3 ] \
    || fail "profile names after the import: $(grep -m1 '^profileName=' "$setting/name.bin")"
# The lift-off change saved by the close question's Save.
[ "$(value p2.bin mouse reportRate)" != "$(value pD.bin mouse reportRate)" ] \
    || fail "the close question's Save did not store the lift-off distance"
# A whole session prints only the program's own lines: no accessibility or focus noise.
! grep -E "ValueChanged event and no ValueInterface|Cannot set activeFocusOnTab" "$work/out.log" \
    || fail "noise on standard error"
echo "PASS: keyboard"
