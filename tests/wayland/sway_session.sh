#!/usr/bin/env bash
# Runs one command as a client of a fresh headless sway and tears everything down afterwards.
#
#   sway_session.sh [--config FILE] COMMAND [ARG...]
#
# - The compositor: sway on the headless wlroots backend with the pixman renderer and no input
#   devices, inside its own dbus-run-session (so the command has a private session bus), one
#   output of 1280x800 at 0,0. --config replaces the built-in configuration (keep the output
#   line). Clients that need a pointer use virtual_pointer, keys virtual_keyboard (both built
#   beside the tests, in build/tests/wayland/; each documents its commands at its top); a
#   script sources pointer.sh for one pointer device driven line by line (start_pointer,
#   point, click).
# - The user: sway refuses root. Started as root, the script runs everything as the user
#   "stryla-wayland-test" (created, without a login, when missing); started as anyone else, as
#   that user. Files the command reads must be readable by it (a build tree under /work is);
#   what it writes goes to $STRYLA_WL_WORK, a fresh folder the user owns, removed at the end
#   unless STRYLA_WL_KEEP is set (it is printed then).
# - The command runs with WAYLAND_DISPLAY, SWAYSOCK, XDG_RUNTIME_DIR (a 0700 folder),
#   DBUS_SESSION_BUS_ADDRESS, HOME (inside the work folder), STRYLA_WL_WORK and
#   QT_QPA_PLATFORM=wayland; DISPLAY is unset. The rest of the caller's environment passes.
# - Exit status: the command's; 125 when the compositor did not start (its log is printed).
#   The whole run is bounded by STRYLA_WL_TIMEOUT seconds (default 90).
set -u
here=$(cd "$(dirname "$0")" && pwd)
test_user=stryla-wayland-test

if [ "${1:-}" != "--inner" ]; then
    config=""
    if [ "${1:-}" = "--config" ]; then config=$(readlink -f "$2"); shift 2; fi
    [ $# -ge 1 ] || { echo "usage: $0 [--config FILE] COMMAND [ARG...]" >&2; exit 2; }
    if [ "$(id -u)" -eq 0 ]; then
        # Sessions started side by side (ctest -j) create the user once.
        (
            flock 9
            id "$test_user" > /dev/null 2>&1 \
                || useradd --system --no-create-home --shell /usr/sbin/nologin "$test_user"
        ) 9> /tmp/stryla-wayland-user.lock \
            || { echo "cannot create the user $test_user" >&2; exit 125; }
        work=$(mktemp -d /tmp/stryla-wayland.XXXXXX)
        chown "$test_user": "$work"
        chmod 0755 "$work"
        runuser -p -u "$test_user" -- timeout -k 5 "${STRYLA_WL_TIMEOUT:-90}" \
            bash "$here/sway_session.sh" --inner "$work" "$config" "$@"
        status=$?
    else
        work=$(mktemp -d /tmp/stryla-wayland.XXXXXX)
        timeout -k 5 "${STRYLA_WL_TIMEOUT:-90}" bash "$here/sway_session.sh" --inner "$work" "$config" "$@"
        status=$?
    fi
    if [ -n "${STRYLA_WL_KEEP:-}" ]; then echo "work folder kept: $work"; else rm -rf "$work"; fi
    exit $status
fi

# --- as the test user: the session bus, then the compositor, then the command ------------
shift
work=$1 config=$2
shift 2
export HOME=$work/home STRYLA_WL_WORK=$work
mkdir -p "$HOME"
export XDG_RUNTIME_DIR=$work/runtime
mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY SWAYSOCK XDG_SESSION_TYPE XDG_CURRENT_DESKTOP
if [ -z "$config" ]; then
    config=$work/sway.conf
    cat > "$config" <<'CONF'
output HEADLESS-1 resolution 1280x800 position 0 0 bg #203040 solid_color
default_border pixel 1
focus_follows_mouse no
CONF
fi

if [ -z "${STRYLA_WL_BUS:-}" ]; then
    export STRYLA_WL_BUS=1
    unset DBUS_SESSION_BUS_ADDRESS
    exec dbus-run-session -- bash "$here/sway_session.sh" --inner "$work" "$config" "$@"
fi

WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    sway -c "$config" > "$work/sway.log" 2>&1 &
sway_pid=$!
trap 'kill $sway_pid 2>/dev/null; wait $sway_pid 2>/dev/null' EXIT
for _ in $(seq 100); do
    socket=$(cd "$XDG_RUNTIME_DIR" && ls wayland-[0-9] 2>/dev/null | head -1)
    ipc=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock 2>/dev/null | head -1)
    [ -n "$socket" ] && [ -n "$ipc" ] && break
    kill -0 $sway_pid 2>/dev/null || break
    sleep 0.1
done
if [ -z "${socket:-}" ] || [ -z "${ipc:-}" ]; then
    echo "sway did not start:" >&2
    cat "$work/sway.log" >&2
    exit 125
fi
export WAYLAND_DISPLAY=$socket SWAYSOCK=$ipc XDG_SESSION_TYPE=wayland QT_QPA_PLATFORM=wayland
"$@"
