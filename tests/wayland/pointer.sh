# The virtual pointer for scripts run by sway_session.sh, sourced: one pointer device for the
# whole script, driven line by line, so that a script can read the compositor's tree while a
# button is held.
#   start_pointer <virtual_pointer>   the device appears; clients get a moment to take it
#   point COMMAND...                  one command of virtual_pointer (move X Y, press, release,
#                                     drag X Y STEPS, wait MS); calls fail (the script's own)
#                                     when it is refused
#   click X Y                         a left click at the layout position X, Y
start_pointer() {
    coproc POINTER { "$1" 1280 800 -; }
    point move 1279 799
    point wait 500
}
point() {
    local reply
    echo "$*" >&"${POINTER[1]}" && read -r -t 10 reply <&"${POINTER[0]}" && [ "$reply" = ok ] \
        || fail "the virtual pointer: $*"
}
click() {
    point move "$1" "$2"
    point wait 100
    point press
    point wait 60
    point release
    point wait 400
}
