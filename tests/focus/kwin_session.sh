#!/usr/bin/env bash
# Runs one command as a client of a fresh KWin (Plasma's compositor) on its virtual backend,
# and tears everything down afterwards.
#
#   kwin_session.sh COMMAND [ARG...]
#
# - The installed kwin_wayland carries a file capability that an unprivileged user without
#   it cannot exec here; a copy (which drops it) runs, and keeps the name kwin_wayland, which
#   its platform plugin checks.
# - Like sway_session.sh: as root, everything runs as the user "stryla-wayland-test"; the
#   command gets a private session bus, WAYLAND_DISPLAY, XDG_RUNTIME_DIR (0700), HOME and
#   STRYLA_WL_WORK inside a fresh work folder (removed afterwards), QT_QPA_PLATFORM=wayland,
#   no DISPLAY.
# - Exit status: the command's; 125 when KWin is missing or did not start (its log is
#   printed). The whole run is bounded by STRYLA_WL_TIMEOUT seconds (default 90).
set -u
here=$(cd "$(dirname "$0")" && pwd)
test_user=stryla-wayland-test

if [ "${1:-}" != "--inner" ]; then
    [ $# -ge 1 ] || { echo "usage: $0 COMMAND [ARG...]" >&2; exit 2; }
    kwin=$(command -v kwin_wayland) || { echo "SKIP: kwin_wayland is not installed" >&2; exit 125; }
    work=$(mktemp -d /tmp/stryla-kwin.XXXXXX)
    mkdir "$work/bin"
    cp "$kwin" "$work/bin/kwin_wayland"
    if [ "$(id -u)" -eq 0 ]; then
        id "$test_user" > /dev/null 2>&1 \
            || useradd --system --no-create-home --shell /usr/sbin/nologin "$test_user" \
            || { echo "cannot create the user $test_user" >&2; exit 125; }
        chown -R "$test_user": "$work"
        chmod 0755 "$work"
        runuser -p -u "$test_user" -- timeout -k 5 "${STRYLA_WL_TIMEOUT:-90}" \
            dbus-run-session -- bash "$here/kwin_session.sh" --inner "$work" "$@"
    else
        timeout -k 5 "${STRYLA_WL_TIMEOUT:-90}" \
            dbus-run-session -- bash "$here/kwin_session.sh" --inner "$work" "$@"
    fi
    status=$?
    if [ -n "${STRYLA_WL_KEEP:-}" ]; then echo "work folder kept: $work"; else rm -rf "$work"; fi
    exit $status
fi

# --- as the test user, on the private session bus: the compositor, then the command -----
shift
work=$1
shift
export HOME=$work/home STRYLA_WL_WORK=$work XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME"
mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY XDG_SESSION_TYPE XDG_CURRENT_DESKTOP
"$work/bin/kwin_wayland" --virtual --no-lockscreen --width 1280 --height 800 \
    --socket wayland-kwin > "$work/kwin.log" 2>&1 &
kwin_pid=$!
trap 'kill $kwin_pid 2>/dev/null; wait $kwin_pid 2>/dev/null' EXIT
ready=
for _ in $(seq 150); do
    if [ -S "$XDG_RUNTIME_DIR/wayland-kwin" ] && dbus-send --session --print-reply \
        --dest=org.kde.KWin /Scripting org.freedesktop.DBus.Peer.Ping > /dev/null 2>&1; then
        ready=1
        break
    fi
    kill -0 $kwin_pid 2>/dev/null || break
    sleep 0.1
done
if [ -z "$ready" ]; then
    echo "SKIP: KWin did not start:" >&2
    cat "$work/kwin.log" >&2
    exit 125
fi
export WAYLAND_DISPLAY=wayland-kwin XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=KDE \
    QT_QPA_PLATFORM=wayland
"$@"
