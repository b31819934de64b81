"""Works the program with the keyboard alone: real X key events (xdotool), no pointer.
The accessibility tree is only read, to know where the keyboard focus is before the next
key. Exit status 0 when every step reached the control it aimed at; the wire and the files
are checked by the caller after the program has ended."""

import subprocess
import sys
import time

from gi.repository import GLib  # noqa: E402

from a11y_check import Atspi, find_application

# The control that last announced it took the focus, as (role, name); None before the first;
# and how many such announcements came.
focus_seen = None
focus_count = 0


def on_focus(event):
    global focus_seen, focus_count
    if event.detail1 == 1:
        focus_seen = (event.source.get_role_name(), event.source.get_name())
        focus_count += 1


def settle(seconds=0.35, until=None):
    """Waits, taking in the focus announcements meanwhile; stops early once until() holds."""
    context = GLib.MainContext.default()
    end = time.time() + seconds
    while time.time() < end:
        while context.iteration(False):
            pass
        if until is not None and until():
            return True
        time.sleep(0.02)
    return until is not None and until()


def key(*names):
    subprocess.run(["xdotool", "key", "--delay", "60"] + list(names), check=True)
    settle()


def tab():
    """Tab, and the wait for the focus to announce where it went (a busy window is slow)."""
    before = focus_count
    subprocess.run(["xdotool", "key", "Tab"], check=True)
    settle(8, lambda: focus_count > before)


def typed(text):
    subprocess.run(["xdotool", "type", "--delay", "120", text], check=True)
    settle()


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
        if current(app) == (role, name):
            return
        tab()
    raise Failure("Tab never reached %s '%s' (focus on %s)" % (role, name, focused(app)))


def current(app):
    """The focused control: as announced, or read from the whole tree before any announcement."""
    return focus_seen if focus_seen is not None else focused(app)


def expect(app, role, name):
    settle(8, lambda: current(app) == (role, name))
    now = current(app)
    if now != (role, name):
        raise Failure("expected the focus on %s '%s', found %s" % (role, name, now))


def run(app):
    # Button 3 gets "Back Key": its row, Enter, the section's choices with the arrows, Space,
    # Esc closes the page; Ctrl+S saves.
    tab_to(app, "push button", "Button 3")
    key("Return")
    expect(app, "page tab", "Mouse Function")
    tab()
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
    key("Down", "Return")
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
    listener = Atspi.EventListener.new(on_focus)
    listener.register("object:state-changed:focused")
    listener.register("focus:")
    settle(3)  # the start picture, then the main screen
    try:
        run(app)
    except Failure as failure:
        print(failure)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
