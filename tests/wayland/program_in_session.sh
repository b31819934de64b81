# Sourced by the scripts that run the program inside the test's sway session: installs the
# simulated program ($exe, from the $modules folder) into $STRYLA_WL_WORK/program as a 553
# mouse, sets $work, $program and $pid (the program's process once started, killed at exit) and
# fail() (says why, shows the program's output, ends the script).
here=$(cd "$(dirname "${BASH_SOURCE[1]}")" && pwd)
work=$STRYLA_WL_WORK/program
pid=""
trap '[ -n "$pid" ] && kill -9 $pid 2>/dev/null' EXIT
fail() { echo "FAIL: $*"; echo "--- program output"; cat "$work/out.log"; exit 1; }
source "$here/../e2e/install.sh"
install_program "$exe" "$modules" 553 "$work"
