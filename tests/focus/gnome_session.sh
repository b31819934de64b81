#!/usr/bin/env bash
# Runs one command as a client of a fresh headless GNOME Shell, and tears everything down.
#
#   gnome_session.sh EXTENSION_FOLDER... -- COMMAND [ARG...]
#
# - The Shell stops on logind and UPower when it believes systemd runs, and needs a system
#   bus: started as root, the script makes a mount namespace with empty /run/systemd and
#   /run/dbus and a system bus of its own there; it then runs everything else as the user
#   "stryla-wayland-test" (created, without a login, when missing). Without root it skips.
# - Each EXTENSION_FOLDER (named by its uuid) is installed for that user; only the test's own
#   extension, stryla-test@korvane.example, is enabled before the start.
# - The command gets a private session bus, WAYLAND_DISPLAY, XDG_RUNTIME_DIR (0700), HOME and
#   STRYLA_WL_WORK in a fresh work folder (removed afterwards), QT_QPA_PLATFORM=wayland, no
#   DISPLAY.
# - Exit status: the command's; 125 when the Shell is missing or did not start (its log is
#   printed). The whole run is bounded by STRYLA_WL_TIMEOUT seconds (default 90).
set -u
here=$(cd "$(dirname "$0")" && pwd)
test_user=stryla-wayland-test

case "${1:-}" in
--namespace)
    # --- root, inside the mount namespace: the empty folders, the system bus, the user --
    shift
    work=$1
    shift
    mount -t tmpfs tmpfs /run/systemd && mount -t tmpfs tmpfs /run/dbus \
        || { echo "SKIP: cannot mount over /run" >&2; exit 125; }
    # The system bus forks away from this script: it ends with the run, not with the machine.
    bus_pid=$(dbus-daemon --system --fork --nopidfile --print-pid) \
        || { echo "SKIP: no system bus" >&2; exit 125; }
    trap 'kill "$bus_pid" 2>/dev/null' EXIT
    # The session bus starts services (dconf) with its own environment: set it up first.
    mkdir -p -m 0700 "$work/runtime"
    chown "$test_user": "$work/runtime"
    runuser -p -u "$test_user" -- env HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" \
        STRYLA_WL_WORK="$work" dbus-run-session -- bash "$here/gnome_session.sh" --inner "$@"
    exit $?
    ;;
--inner)
    ;;
*)
    if [ "$(id -u)" -ne 0 ]; then echo "SKIP: GNOME Shell needs root to be set up here" >&2; exit 125; fi
    command -v gnome-shell > /dev/null || { echo "SKIP: gnome-shell is not installed" >&2; exit 125; }
    id "$test_user" > /dev/null 2>&1 \
        || useradd --system --no-create-home --shell /usr/sbin/nologin "$test_user" \
        || { echo "cannot create the user $test_user" >&2; exit 125; }
    work=$(mktemp -d /tmp/stryla-gnome.XXXXXX)
    extensions=$work/home/.local/share/gnome-shell/extensions
    mkdir -p "$extensions"
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do cp -r "$1" "$extensions/"; shift; done
    shift
    chown -R "$test_user": "$work"
    chmod 0755 "$work"
    timeout -k 5 "${STRYLA_WL_TIMEOUT:-90}" \
        unshare -m bash "$here/gnome_session.sh" --namespace "$work" "$@"
    status=$?
    if [ -n "${STRYLA_WL_KEEP:-}" ]; then echo "work folder kept: $work"; else rm -rf "$work"; fi
    exit $status
    ;;
esac

# --- as the test user, on the private session bus: the Shell, then the command ----------
shift
work=$STRYLA_WL_WORK
unset DISPLAY WAYLAND_DISPLAY XDG_SESSION_TYPE XDG_CURRENT_DESKTOP
# The Shell reads its settings through dconf; the command keeps the backend it was given.
command_backend=${GSETTINGS_BACKEND:-}
unset GSETTINGS_BACKEND
gsettings set org.gnome.shell enabled-extensions "['stryla-test@korvane.example']"
gsettings set org.gnome.shell disable-user-extensions false
gnome-shell --headless --wayland --no-x11 --wayland-display=wayland-gnome \
    --virtual-monitor 1280x800 > "$work/shell.log" 2>&1 &
shell_pid=$!
trap 'kill $shell_pid 2>/dev/null; wait $shell_pid 2>/dev/null' EXIT
ready=
for _ in $(seq 300); do
    if [ -S "$XDG_RUNTIME_DIR/wayland-gnome" ] && gdbus call --session --dest org.gnome.Shell \
        --object-path /example/korvane/StrylaTest --method example.korvane.StrylaTest.Activate \
        "''" > /dev/null 2>&1; then
        ready=1
        break
    fi
    kill -0 $shell_pid 2>/dev/null || break
    sleep 0.1
done
if [ -z "$ready" ]; then
    echo "SKIP: GNOME Shell did not start:" >&2
    cat "$work/shell.log" >&2
    exit 125
fi
export WAYLAND_DISPLAY=wayland-gnome XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME \
    QT_QPA_PLATFORM=wayland
[ -n "$command_backend" ] && export GSETTINGS_BACKEND=$command_backend
"$@"
