"""Works the program with the keyboard alone: real X key events (xdotool), no pointer.
The accessibility tree is only read, to know where the keyboard focus is before the next
key. Exit status 0 when every step reached the control it aimed at; the wire and the files
are checked by the caller after the program has ended."""

import ctypes
import subprocess
import sys
import time

from gi.repository import GLib  # noqa: E402

from a11y_check import Atspi, find_application, showing_nodes

# The control that last announced it took the focus, as (role, name); None before the first;
# and how many such announcements came.
focus_seen = None
focus_count = 0


# What the text inputs said was inserted, as (name, text).
inserted = []


def on_insert(event):
    inserted.append((event.source.get_name(), str(event.any_data)))


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


def close_request(window):
    """Asks the window to close as a window manager does (Alt+F4, a task bar's Close): the
    X server hands it the client message WM_DELETE_WINDOW of the protocol WM_PROTOCOLS."""

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                    ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                    ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                    ("data", ctypes.c_long * 5)]

    class Event(ctypes.Union):
        _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

    x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    event = Event()
    event.xclient.type = 33  # ClientMessage
    event.xclient.window = window
    event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.xclient.format = 32
    event.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    x11.XSendEvent(display, window, 0, 0, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)
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
    # F1 opens the help menu with the focus on its first entry; Esc closes it.
    settle(20, lambda: any((n.get_role_name(), n.get_name()) == ("push button", "Save")
                           for n in showing_nodes(app)))
    tab()
    key("F1")
    settle(3, lambda: current(app) is not None and current(app)[0] == "menu item")
    if current(app) is None or current(app)[0] != "menu item":
        raise Failure("F1 did not open the help menu (focus on %s)" % (current(app),))
    key("Escape")
    expect(app, "push button", "Help")

    # Button 3 gets "Back Key": its row, Enter, the section's choices with the arrows, Space,
    # Esc closes the page; Ctrl+S saves.
    tab_to(app, "push button", "Button 3")
    key("Return")
    expect(app, "page tab", "Mouse Function")
    # The arrows show the next section and come back; only the shown section is a Tab stop.
    key("Down", "Up")
    expect(app, "page tab", "Mouse Function")
    tab()
    expect(app, "radio button", "Left Key")
    key("Down", "Down", "Down", "Down")
    expect(app, "radio button", "Back Key")
    key("space", "Escape")
    expect(app, "push button", "Button 3")
    key("ctrl+s")
    time.sleep(1.5)

    # DPI: every Right press shows the next number on stage 2, and the screen reader hears
    # it; then a tenth higher.
    tab_to(app, "slider", "Stage 2")
    slider = [n for n in showing_nodes(app) if (n.get_role_name(), n.get_name()) == current(app)][0]
    for _ in range(5):
        before = slider.get_value_iface().get_current_value()
        key("Right")
        after = slider.get_value_iface().get_current_value()
        if after <= before:
            raise Failure("Right on stage 2: %s, then %s" % (before, after))
    key("Prior")
    # The stages are one Tab stop: the stage in use; the arrows reach stage 3, Space
    # chooses it, and the next Tab leaves the set.
    tab_to(app, "slider", "LOD")
    for _ in range(60):
        tab()
        if current(app)[0] == "radio button" and current(app)[1].startswith("Stage"):
            break
    stage = current(app)
    while current(app) != ("radio button", "Stage 3"):
        key("Down" if int(current(app)[1].split()[-1]) < 3 else "Up")
        if current(app) == stage:
            raise Failure("the arrows do not move along the stages (on %s)" % (stage,))
        stage = current(app)
    key("space")
    time.sleep(0.5)
    tab()
    if current(app)[0] == "radio button" and current(app)[1].startswith("Stage"):
        raise Failure("Tab went from one stage to another: %s" % (current(app),))

    # Lighting: "Breath" from the effect drop-down; each entry the arrows reach takes the
    # focus, and so is announced.
    tab_to(app, "combo box", "Light")
    key("space")
    key(*(["Up"] * 16))
    expect(app, "list item", "Static")
    key("Down")
    expect(app, "list item", "Breath")
    key("Return")
    expect(app, "combo box", "Light")
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
    expect(app, "combo box", "Profile")  # where it was, after the switch's write
    tab_to(app, "push button", "Reset")
    key("Return")
    expect(app, "push button", "OK")
    key("Return")
    time.sleep(3)
    expect(app, "push button", "Reset")

    # The profile in use exported to a file and imported again as a new profile, all from the
    # keyboard: after each dialog the focus is back on the button that opened it, and Tab
    # goes on from there inside the page.
    tab_to(app, "push button", "Config")
    key("Return")
    for button, title in (("Export", "Save File"), ("Import", "Open File")):
        tab_to(app, "push button", button)
        key("Return")
        in_dialog(title, exchange_file)
        expect(app, "push button", button)
    tab()
    if current(app) == ("push button", "Import") or current(app)[0] != "push button":
        raise Failure("Tab after the import: focus on %s" % (current(app),))
    key("Escape")
    expect(app, "push button", "Config")

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
    # A refused keystroke changes nothing: the count stops at 9999 (99999 is too many), and
    # the 3 after it is refused too.
    # A refused key is not echoed: the text is never changed and changed back.
    tab_to(app, "text", "Times")
    before = len(inserted)
    typed("99999999")
    typed("3")
    echoed = [text for name, text in inserted[before:] if name == "Times"]
    if echoed != ["9", "9", "9", "9"]:
        raise Failure("typed into Times, heard: %s" % echoed)
    key("Return")
    # Delete on the macro list asks first, the focus on Cancel; Esc is Cancel too, and the
    # focus comes back.
    tab_to(app, "list", "Macro Name")
    key("Delete")
    expect(app, "push button", "Cancel")
    key("Escape")
    expect(app, "list", "Macro Name")
    key("Escape")
    expect(app, "push button", "Macro Editor")

    # An unsaved lift-off change, then the desktop closes the window: asked first, Esc stays;
    # asked again, Enter saves and the window goes to the tray (the caller checks the rest).
    tab_to(app, "slider", "LOD")
    key("Home")
    close_request(window_id)
    expect(app, "push button", "Save")
    buttons = [n.get_name() for n in showing_nodes(app) if n.get_role_name() == "push button"]
    if buttons.count("Stay") != 1 or buttons.count("Close") != 1:
        raise Failure("the question's buttons: %s" % buttons)
    key("Escape")
    expect(app, "slider", "LOD")
    close_request(window_id)
    expect(app, "push button", "Save")
    key("Return")


def in_dialog(title, path):
    """Types path into the file dialog of that title and presses Enter."""
    found = subprocess.run(["timeout", "15", "xdotool", "search", "--sync", "--onlyvisible",
                            "--name", title], capture_output=True, text=True).stdout.split()
    if not found:
        raise Failure("no dialog '%s'" % title)
    subprocess.run(["xdotool", "windowfocus", "--sync", found[0]], check=True)
    settle(1)
    subprocess.run(["xdotool", "key", "ctrl+a"], check=True)
    subprocess.run(["xdotool", "type", "--delay", "40", path], check=True)
    subprocess.run(["xdotool", "key", "Return"], check=True)
    settle(2)


def field_text(app, name):
    for node in showing_nodes(app):
        if (node.get_role_name(), node.get_name()) == ("text", name):
            return node.get_text_iface().get_text(0, -1)
    return None


def run_write(app):
    """A 560 Save takes seconds: digits typed meanwhile reach the field afterwards, the focus
    stays where it was, and the progress bar's value rises as the write goes on."""
    tab_to(app, "text", "Red")
    typed("1")
    if ("Red", "1") not in inserted:
        raise Failure("the digit typed into Red was not echoed: %s" % inserted)
    announced = focus_count
    key("ctrl+s")
    bars = []
    settle(5, lambda: bars.extend(n for n in showing_nodes(app) if n.get_role_name() == "progress bar") or bars)
    if not bars:
        raise Failure("no progress bar during the Save")
    subprocess.run(["xdotool", "type", "--delay", "120", "23"], check=True)
    values = []
    end = time.time() + 30
    while time.time() < end and bars[0].get_state_set().contains(Atspi.StateType.SHOWING):
        value = bars[0].get_value_iface()
        values.append((value.get_current_value(), value.get_maximum_value()))
        settle(0.1)
    if len(values) < 2 or values[-1][0] <= values[0][0] or values[0][1] != 1:
        raise Failure("the progress bar's value did not rise: %s" % values)
    settle(1)
    # The bar's last words are the whole write ("11 of 11"), and stay so once it has gone.
    words = bars[0].get_name().split()
    if len(words) < 3 or words[-3] != words[-1] or words[-1] == "0":
        raise Failure("the progress bar ends with '%s'" % bars[0].get_name())
    print("progress bar after the Save: %s" % bars[0].get_name())
    expect(app, "text", "Red")
    if focus_count != announced:
        raise Failure("the focus moved during the Save (%d announcements)" % (focus_count - announced))
    if field_text(app, "Red") != "123":
        raise Failure("Red reads '%s' after digits typed during the Save" % field_text(app, "Red"))

    # 300 Tabs during a Save: 256 wait and move the focus afterwards, the rest are dropped
    # and standard error says how many (the caller reads it).
    key("BackSpace")
    typed("5")
    key("ctrl+s")
    if not settle(5, lambda: any(n.get_role_name() == "progress bar" for n in showing_nodes(app))):
        raise Failure("no progress bar during the second Save")
    subprocess.run(["xdotool", "key", "--delay", "1"] + ["Tab"] * 300, check=True)
    settle(30, lambda: not any(n.get_role_name() == "progress bar" for n in showing_nodes(app)))
    settle(3)

    # Ctrl+Q asks about the unsaved colour as the tray's Quit does: Esc stays, and the second
    # time Save saves it and the program ends (the caller checks that it ended).
    tab_to(app, "text", "Red")
    typed("124")
    key("ctrl+q")
    expect(app, "push button", "Save")
    key("Escape")
    expect(app, "text", "Red")
    key("ctrl+q")
    expect(app, "push button", "Save")
    subprocess.run(["xdotool", "key", "Return"], check=True)


window_id = 0
exchange_file = ""


def main():
    global window_id, exchange_file
    window_id = int(sys.argv[2])
    exchange_file = sys.argv[3] if len(sys.argv) > 3 and not sys.argv[3].startswith("--") else ""
    app = find_application(sys.argv[1])
    if app is None:
        print("the program does not appear on the accessibility bus")
        return 1
    listener = Atspi.EventListener.new(on_focus)
    listener.register("object:state-changed:focused")
    listener.register("focus:")
    # Heard as a screen reader hears them: the program answers these only when someone listens.
    others = Atspi.EventListener.new(lambda event: None)
    for kind in ("object:value-changed", "object:property-change:accessible-value",
                 "object:state-changed", "object:selection-changed"):
        others.register(kind)
    texts = Atspi.EventListener.new(on_insert)
    texts.register("object:text-changed:insert")
    settle(3)  # the start picture, then the main screen
    try:
        run_write(app) if "--write" in sys.argv else run(app)
    except Failure as failure:
        print(failure)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
