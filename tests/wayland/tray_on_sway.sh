#!/usr/bin/env bash
# The tray on a Wayland desktop with a StatusNotifierItem tray (swaybar): the icon registers,
# its menu lists the profiles with the one in use checked, shows when the tray asks for it (as
# swaybar's right-click does), choosing one switches the profile
# and the master switch turns automatic switching on, as the files on disk show.
#
# usage: sway_session.sh --config sway_tray.conf tray_on_sway.sh <stryla-config-sim>
#            <source modules folder>
set -u
exe=$1 modules=$2
source "$(dirname "$0")/program_in_session.sh"
sed -i "s/^profileName=.*/profileName=Standard0, Work1/" "$work/modules/setting/name.bin"
setting=$work/modules/setting
value() { sed -n "/^\[$2\]/,/^\[/p" "$setting/$1" | grep -m1 "^$3=" | cut -d= -f2-; }

"$program" > "$work/out.log" 2>&1 &
pid=$!
menu() { "$here/tray_menu.py" "$@" 2>&1; }
for _ in $(seq 50); do
    [ "$(menu list | head -1)" = "Standard|1" ] && break
    sleep 0.1
done
expected="Standard|1
Work|0
Switch profiles automatically|0
Quit (_Q)|-1"
[ "$(menu list)" = "$expected" ] || fail "tray menu: $(menu list)"
grep -q "No system tray" "$work/out.log" && fail "a tray is there, yet the program says none is"

# swaybar's right-click asks the item for its menu: the program shows it, a window of its own
# beside the main window in sway's tree.
windows() {
    swaymsg -t get_tree | python3 -c '
import json, sys
def walk(node):
    count = 1 if node.get("pid") == int(sys.argv[1]) else 0
    return count + sum(walk(c) for c in node.get("nodes", []) + node.get("floating_nodes", []))
print(walk(json.load(sys.stdin)))' "$pid"
}
before=$(windows)
menu context > /dev/null || fail "asking for the menu"
for _ in $(seq 30); do [ "$(windows)" -gt "$before" ] && break; sleep 0.1; done
[ "$(windows)" -gt "$before" ] || fail "the menu did not show when the tray asked for it"

menu click Work > /dev/null || fail "clicking Work"
for _ in $(seq 30); do [ "$(value apConfig.bin mouse profileNo)" = 1 ] && break; sleep 0.1; done
[ "$(value apConfig.bin mouse profileNo)" = 1 ] || fail "profile in use: $(value apConfig.bin mouse profileNo)"
menu click "Switch profiles automatically" > /dev/null || fail "clicking the master switch"
for _ in $(seq 30); do [ "$(value programs.bin switching automatic)" = true ] && break; sleep 0.1; done
[ "$(value programs.bin switching automatic)" = true ] || fail "automatic switching is not on in programs.bin"
[ "$(menu list | tr '\n' ' ')" = "Standard|0 Work|1 Switch profiles automatically|1 Quit (_Q)|-1 " ] \
    || fail "tray menu afterwards: $(menu list)"

kill -TERM $pid
for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
echo "PASS: tray on sway"
