#!/usr/bin/env bash
# One start of the program, inside a private session bus (dbus-run-session) with the
# accessibility bus: takes one step on its lift-off slider (lod_step.py), then ends the
# program through its quit path (SIGTERM), which must end it with exit code 0.
#
# usage: user_run.sh <program> <log file> set|expect <position>
set -u
program=$1 log=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)

QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" > "$log" 2>&1 &
pid=$!
/usr/bin/python3 "$here/lod_step.py" "$(basename "$program")" "$@"
status=$?
kill -TERM $pid 2> /dev/null
for _ in $(seq 50); do kill -0 $pid 2> /dev/null || break; sleep 0.1; done
kill -0 $pid 2> /dev/null && { kill -9 $pid; echo "the program did not end"; exit 1; }
wait $pid
code=$?
[ "$code" -eq 0 ] || { echo "the program ended with $code"; exit 1; }
exit $status
