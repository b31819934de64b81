#!/usr/bin/env bash
# An installed program run by a user who cannot write where it is installed (the user
# "nobody", with a home of its own): the first start makes the per-user data folder from the
# installed data, a setting changed through the program is there after a restart, the
# installation is never written, and a newer installation refreshes the factory profile but
# keeps the user's profile. A copy in a folder the user can write keeps working there as
# before, with no per-user folder; a copy the user cannot write seeds the per-user folder.
#
# The simulated program stands in for the product (same program, simulated mouse); this test
# installs it into the prefix beside the product.
#
# usage: user_data.sh <build folder> <stryla-config-sim> <source folder>   (under an X server
# that accepts any local client: xvfb-run -s -ac)
set -u
build=$1 sim=$2 source=$3
if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: running the program as another user needs root"
    exit 77
fi
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
chmod 755 "$work"
trap 'rm -rf "$work"' EXIT
logs=$work/logs
mkdir "$logs"
chown nobody:nogroup "$logs"
fail() {
    echo "FAIL: $*"
    for f in "$logs"/*; do echo "--- $(basename "$f")"; cat "$f"; done
    exit 1
}
source "$here/files.sh"
source "$here/../e2e/install.sh"

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" > "$logs/install" || fail "install"
install -m 755 "$sim" "$prefix/bin/stryla-config-sim"
program=$prefix/bin/stryla-config-sim
installed=$prefix/share/stryla-config/modules

# new_home <name>: a fresh home folder of the user; sets $home and $data, the per-user folder.
new_home() {
    home=$work/$1
    mkdir -m 700 "$home" "$home.runtime"
    chown nobody:nogroup "$home" "$home.runtime"
    data=$home/.local/share/stryla-config
}

# run_as_user <log> <program> set|expect <millimetres>: one start of program as the user with
# $home, on a session bus of its own, taking one step on the lift-off slider (user_run.sh).
run_as_user() {
    local log=$logs/$1 exe=$2 pass=() v
    shift 2
    for v in ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS; do
        [ -n "${!v:-}" ] && pass+=("$v=${!v}")
    done
    setpriv --reuid=nobody --regid=nogroup --clear-groups \
        env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$home.runtime" \
        DISPLAY="$DISPLAY" QT_QPA_PLATFORM=xcb "${pass[@]}" \
        dbus-run-session -- bash "$here/user_run.sh" "$exe" "$log" "$@" > "$log.steps" 2>&1 \
        || fail "$1: $(cat "$log.steps")"
}

# The first start: the per-user folder holds the installed data; the lift-off position the
# user saves goes into the user's p1.bin.
new_home user
before=$(snapshot "$prefix")
run_as_user first "$program" set 1.5
grep -qx "Data folder: $data" "$logs/first" || fail "no 'Data folder: $data' line"
diff <(cd "$installed" && find . | sort) <(cd "$data/modules" && find . | sort) \
    || fail "the per-user folder does not hold the installed files (< installed, > per-user)"
for f in $(cd "$installed" && find . -type f | sed 's|^\./||'); do
    [ "$f" = setting/p1.bin ] && continue
    cmp -s "$installed/$f" "$data/modules/$f" || fail "$f of the per-user folder is not the installed one"
done
grep -qx "reportRate=68" "$data/modules/setting/p1.bin" || fail "the saved position is not in the user's p1.bin"
[ "$(stat -c %U "$data/modules/setting/p1.bin")" = nobody ] || fail "p1.bin does not belong to the user"

# A restart shows what the user saved; the installation was never written.
run_as_user second "$program" expect 1.5
[ "$before" = "$(snapshot "$prefix")" ] || fail "the installation was changed by the program"

# A newer installation, as a package upgrade writes it: the factory profile changes, and so
# does the installed p1.bin, which must not replace the user's.
sed 's/^reportRate=46$/reportRate=60/' "$source/modules/setting/pD.bin" > "$work/pD.bin"
grep -qx "reportRate=60" "$work/pD.bin" || fail "the factory profile has no reportRate=46 to change"
cp "$work/pD.bin" "$installed/setting/pD.bin"
cp "$work/pD.bin" "$installed/setting/p1.bin"
touch -d "+1 minute" "$installed/setting/pD.bin" "$installed/setting/p1.bin"
user_profile=$(cat "$data/modules/setting/p1.bin")
run_as_user third "$program" expect 1.5
cmp -s "$installed/setting/pD.bin" "$data/modules/setting/pD.bin" \
    || fail "the newer factory profile did not reach the per-user folder"
[ "$(cat "$data/modules/setting/p1.bin")" = "$user_profile" ] || fail "the user's p1.bin was changed"

# A copy in a folder the user can write: the data stays beside it, as always.
new_home portable-user
install_program "$sim" "$source/modules" 553 "$work/portable"
chown -R nobody:nogroup "$work/portable"
run_as_user portable "$program" set 1.5
grep -qx "Data folder: $work/portable" "$logs/portable" || fail "no 'Data folder: $work/portable' line"
grep -qx "reportRate=68" "$work/portable/modules/setting/p1.bin" || fail "the saved position is not beside the program"
[ ! -e "$data" ] || fail "a per-user folder was made for a copy the user can write"

# A copy the user cannot write (root's): the per-user folder, seeded from that copy (its factory
# lift-off, position 46, reads 1.0 mm).
new_home readonly-user
install_program "$sim" "$source/modules" 553 "$work/readonly"
before=$(snapshot "$work/readonly")
run_as_user readonly "$program" expect 1.0
grep -qx "Data folder: $data" "$logs/readonly" || fail "no 'Data folder: $data' line"
cmp -s "$work/readonly/modules/setting/apConfig.bin" "$data/modules/setting/apConfig.bin" \
    || fail "the per-user folder was not seeded from the copy"
[ "$before" = "$(snapshot "$work/readonly")" ] || fail "the copy the user cannot write was changed"
echo "PASS: user data"
