#!/bin/sh
# Runs a test in a process namespace of its own, with its own /proc, so that a test watching
# the running programs sees only the processes it started. Only root may make one here; run
# by another user, a test sees no other user's programs anyway (their executables cannot be
# read), and the command runs as it is.
#
#   own_processes.sh COMMAND [ARG...]
#
# A shell stays process 1 of the namespace and runs the command as its child: Xvfb tells
# xvfb-run that it is ready only when its parent is not process 1.
own="unshare --pid --fork --mount-proc --kill-child"
if [ "$(id -u)" -eq 0 ] && $own true 2> /dev/null; then
    exec $own sh -c '"$@"; exit $?' own_processes "$@"
fi
exec "$@"
