"""Works the program with the keyboard alone: real X key events (xdotool), no pointer.
The accessibility tree is only read, to know where the keyboard focus is before the next
key. Exit status 0 when every step reached the control it aimed at; the wire and the files
are checked by the caller after the program has ended."""

import subprocess
import sys
import time

from a11y_check import Atspi, find_application


def key(*names):
    subprocess.run(["xdotool", "key", "--delay", "60"] + list(names), check=True)
    time.sleep(0.35)


def typed(text):
    subprocess.run(["xdotool", "type", "--delay", "120", text], check=True)
    time.sleep(0.35)


def focused(node):
    """(role, name) of the deepest node that holds the keyboard focus, or None."""
    found = None
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is None:
            continue
        states = child.get_state_set()
        if not states.contains(Atspi.StateType.SHOWING):
            continue
        if states.contains(Atspi.StateType.FOCUSED):
            found = (child.get_role_name(), child.get_name())
        deeper = focused(child)
        if deeper is not None:
            found = deeper
    return found


class Failure(Exception):
    pass


def tab_to(app, role, name, limit=90):
    """Presses Tab until the control (role, name) has the focus."""
    for _ in range(limit):
        if focused(app) == (role, name):
            return
        key("Tab")
    raise Failure("Tab never reached %s '%s' (focus on %s)" % (role, name, focused(app)))


def expect(app, role, name):
    now = focused(app)
    if now != (role, name):
        raise Failure("expected the focus on %s '%s', found %s" % (role, name, now))


def run(app):
    # Button 3 gets "Back Key": its row, Enter, the section's choices with the arrows, Space,
    # Esc closes the page; Ctrl+S saves.
    tab_to(app, "push button", "Button 3")
    key("Return")
    expect(app, "page tab", "Mouse Function")
    key("Tab")
    expect(app, "radio button", "Left Key")
    key("Down", "Down", "Down", "Down")
    expect(app, "radio button", "Back Key")
    key("space", "Escape")
    expect(app, "push button", "Button 3")
    key("ctrl+s")
    time.sleep(1.5)

    # DPI: stage 2 a tenth higher, stage 3 in use.
    tab_to(app, "slider", "Stage 2")
    key("Prior")
    tab_to(app, "radio button", "Stage 3")
    key("space")
    time.sleep(0.5)

    # Lighting: "Breath" from the effect drop-down (the third entry).
    tab_to(app, "combo box", "Light")
    key("space")
    key(*(["Up"] * 16))
    key("Down", "Down", "Return")
    key("ctrl+s")
    time.sleep(2)

    # Reset asked and refused with Esc: nothing happens.
    tab_to(app, "push button", "Reset")
    key("Return")
    expect(app, "push button", "OK")
    key("Escape")
    expect(app, "push button", "Reset")
    time.sleep(0.5)

    # The second profile from the drop-down, then Reset confirmed with Enter.
    tab_to(app, "combo box", "Profile")
    key("alt+Down", "Down", "Return")
    time.sleep(3)
    tab_to(app, "push button", "Reset")
    key("Return")
    expect(app, "push button", "OK")
    key("Return")
    time.sleep(3)

    # A new macro recorded from two keys; Esc ends the recording, Esc closes the editor.
    tab_to(app, "push button", "Macro Editor")
    key("Return")
    tab_to(app, "push button", "New")
    key("Return")
    tab_to(app, "push button", "Start Record")
    key("Return")
    typed("qw")
    key("Escape")
    expect(app, "push button", "Start Record")
    key("Escape")
    expect(app, "push button", "Macro Editor")


def main():
    app = find_application(sys.argv[1])
    if app is None:
        print("the program does not appear on the accessibility bus")
        return 1
    time.sleep(3)  # the start picture, then the main screen
    try:
        run(app)
    except Failure as failure:
        print(failure)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
