#!/usr/bin/env bash
# How a screen-reader user meets the program: the installed program under an X server with
# a session bus and the accessibility bus. Its accessibility tree must show every control
# of the main screen with its role and the name a sighted user reads (also once the window
# has moved), plain texts are not offered to the keyboard, and moving the
# lift-off slider and pressing "Save" through the accessibility interface must reach the
# device (the simulated device's wire log).
#
# With a family and a language the program runs as that mouse in that language and the check
# is the one a11y_check.py gives for it: "560 ChineseSimplified" checks the names in Chinese
# and that a press on Save returns at once while a Save writes.
#
# usage: a11y.sh <stryla-config-sim> <source modules folder> [family language]   (run inside
# dbus-run-session and xvfb-run)
set -u
exe=$1 modules=$2 family=${3:-553} language=${4:-English}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'kill -9 $pid 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; echo "--- program output"; cat "$work/out.log"; exit 1; }
source "$here/install.sh"
install_program "$exe" "$modules" "$family" "$work"
sed -i "s/^language=.*/language=$language/" "$work/modules/setting/apConfig.bin"
checks=()
[ "$family" = 560 ] && checks+=(--timing)
[ "$language" = ChineseSimplified ] && checks+=("--chinese=$work/modules/i18n/ChineseSimplified.ini")

dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
    > /dev/null 2>&1 || fail "no accessibility bus"
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 STRYLA_SIM_WIRE_LOG="$work/wire.log" "$program" > "$work/out.log" 2>&1 &
pid=$!
# Placed elsewhere after it showed, as a window manager places it: every control is still
# reported as showing (magnifiers and flat review skip the others).
window=$(timeout 15 xdotool search --sync --onlyvisible --name "KORVANE STRYLA Z7" | head -1)
[ -n "$window" ] || fail "the window did not appear"
xdotool windowmove --sync "$window" 200 140

/usr/bin/python3 "$here/a11y_check.py" "$(basename "$program")" "${checks[@]}" \
    || fail "accessibility check"

kill -TERM $pid
for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
wait $pid
[ ${#checks[@]} -eq 0 ] || { echo "PASS: accessibility ($family $language)"; exit 0; }
# Lift-off position 3 goes out as 90 (0x5A) in the lift-off command 07.
grep -qE "FeatureOut +00 07 00 5A 7D " "$work/wire.log" || { cat "$work/wire.log"; fail "the device did not receive lift-off 90"; }
echo "PASS: accessibility"
