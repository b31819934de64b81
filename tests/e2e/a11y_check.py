"""Reads the program's accessibility tree over AT-SPI, checks the controls of the main
screen and of every pop-up page, then moves the lift-off slider to its nearest position and
presses Save, as a screen reader's user would. With "--timing" (a 560 mouse, whose Save takes
seconds) it checks instead that a press on Save returns at once, during a Save too; with
"--chinese" that the icons are named in Chinese. Exit status 0 when all of it worked."""

import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

# (role, name) of every control of the main screen, as a sighted user reads them.
MAIN_SCREEN = [
    ("push button", "Macro Editor"),
    ("slider", "LOD"),
    ("push button", "System setting"),
    ("push button", "Config"),
    ("push button", "Reset"),
    ("push button", "Save"),
    ("combo box", "Profile"),
    ("push button", "Help"),
    ("push button", "Minimise"),
    ("push button", "Close"),
]

# Roles a user works; each must have a name, and one name per role within a window.
CONTROL_ROLES = {"push button", "slider", "combo box", "radio button", "check box", "page tab",
                 "list", "list item", "text", "entry", "menu item", "page tab list", "dialog"}

# The pop-up pages: the control that opens each and the one that closes it again.
PAGES = [
    (("push button", "Macro Editor"), ("dialog", "Macro Editor"), ("push button", "Close")),
    (("push button", "System setting"), ("dialog", "System setting"), ("push button", "Close")),
    (("push button", "Config"), ("dialog", "Profile"), ("push button", "Close")),
    (("push button", "Button 3"), ("dialog", None), ("push button", "Close")),
    (("push button", "Reset"), ("dialog", "Reset"), ("push button", "Cancel")),
]

ENGLISH_ICON_NAMES = {"Help", "Minimise", "Close", "Profile"}


def find_application(name, seconds=20):
    end = time.time() + seconds
    while time.time() < end:
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is not None and app.get_name() == name:
                return app
        time.sleep(0.3)
    return None


def showing_nodes(node):
    """Every node below node that is on screen, depth first."""
    out = []
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is None:
            continue
        if child.get_state_set().contains(Atspi.StateType.SHOWING):
            out.append(child)
        out.extend(showing_nodes(child))
    return out


def wait_for_main_screen(app, seconds=15):
    end = time.time() + seconds
    while time.time() < end:
        nodes = showing_nodes(app)
        found = {(n.get_role_name(), n.get_name()): n for n in nodes}
        if all(control in found for control in MAIN_SCREEN):
            return found
        time.sleep(0.3)
    return {(n.get_role_name(), n.get_name()): n for n in showing_nodes(app)}


def press(node):
    actions = node.get_action_iface()
    names = [actions.get_action_name(i) for i in range(actions.get_n_actions())]
    return "Press" in names and actions.do_action(names.index("Press"))


def controls(nodes):
    return [n for n in nodes if n.get_role_name() in CONTROL_ROLES]


def panel_of(node):
    """The name of the panel or dialog a node lies in ("" for none)."""
    parent = node.get_parent()
    while parent is not None and parent.get_role_name() not in ("panel", "grouping", "dialog", "application"):
        parent = parent.get_parent()
    return parent.get_name() if parent is not None and parent.get_role_name() != "application" else ""


def naming_problems(nodes):
    """Unnamed controls, and controls of one panel that share role and name."""
    problems = []
    seen = set()
    for n in controls(nodes):
        key = (panel_of(n), n.get_role_name(), n.get_name())
        if not key[2]:
            problems.append("unnamed %s in '%s'" % (key[1], key[0]))
        elif key in seen:
            problems.append("two %s '%s' in '%s'" % (key[1], key[2], key[0]))
        seen.add(key)
    return problems


def focus_problems(nodes):
    """Plain texts and headings that claim the keyboard can reach them."""
    return ["%s '%s' is reported focusable" % (n.get_role_name(), n.get_name()) for n in nodes
            if n.get_role_name() in ("label", "heading")
            and n.get_state_set().contains(Atspi.StateType.FOCUSABLE)]


def shown_value_problems(nodes):
    """Sliders whose value is not the number they show, drop-downs that hide their choice."""
    problems = []
    for n in nodes:
        role = n.get_role_name()
        text = n.get_description() or ""
        if role == "slider" and text:
            number = text.split()[0].rstrip("mMsS%/")
            try:
                shown = float(number)
            except ValueError:
                continue
            if abs(n.get_value_iface().get_current_value() - shown) > 1e-6:
                problems.append("slider '%s' shows %s but reports %s"
                                % (n.get_name(), text, n.get_value_iface().get_current_value()))
        if role == "combo box" and not text:
            problems.append("drop-down '%s' does not tell its choice" % n.get_name())
    return problems


def check_pages(app, found):
    """Opens every pop-up page through its opener's press action: the page must be a dialog
    with named, distinct controls, and nothing of the main screen may show behind it."""
    problems = []
    for opener, dialog, closer in PAGES:
        if opener not in found or not press(found[opener]):
            problems.append("cannot open the page of %s '%s'" % opener)
            continue
        time.sleep(1.0)
        nodes = showing_nodes(app)
        dialogs = [n for n in nodes if n.get_role_name() == "dialog"
                   and (dialog[1] is None or n.get_name() == dialog[1])]
        if not dialogs:
            problems.append("no dialog after %s '%s'" % opener)
            continue
        inside = showing_nodes(dialogs[-1])
        problems += ["%s: %s" % (dialogs[-1].get_name(), p)
                     for p in naming_problems(inside) + shown_value_problems(inside)]
        behind = [c for c in MAIN_SCREEN if any((n.get_role_name(), n.get_name()) == c
                                                for n in nodes if n not in inside)]
        if behind:
            problems.append("behind %s: %s still showing" % (dialogs[-1].get_name(), behind))
        closing = [n for n in inside if (n.get_role_name(), n.get_name()) == closer]
        if not closing or not press(closing[-1]):
            problems.append("cannot close %s" % dialogs[-1].get_name())
        time.sleep(0.8)
    return problems


def wait_until_idle(app, seconds=40):
    """Waits until the busy indicator (a status bar while the window is locked) has gone."""
    end = time.time() + seconds
    while time.time() < end:
        if not any(n.get_role_name() == "status bar" for n in showing_nodes(app)):
            return True
        time.sleep(0.5)
    return False


def press_returns_at_once(found):
    """Presses Save twice, the second time while the first Save writes: each press must get
    its reply within half a second. What went wrong, or None."""
    value = found[("slider", "LOD")].get_value_iface()
    value.set_current_value(value.get_maximum_value())
    for attempt in (1, 2):
        start = time.time()
        if not press(found[("push button", "Save")]):
            return "Save cannot be pressed"
        took = time.time() - start
        if took > 0.5:
            return "press %d on Save took %.2f s" % (attempt, took)
        time.sleep(0.3)
    return None


def move_lod_and_save(found, position):
    """Moves the LOD slider of the main screen (found, as wait_for_main_screen gives it) to
    position and presses Save. What went wrong, or None."""
    value = found[("slider", "LOD")].get_value_iface()
    if not value.set_current_value(float(position)) or value.get_current_value() != position:
        return "the LOD slider did not take %s" % position
    if not press(found[("push button", "Save")]):
        return "Save cannot be pressed"
    time.sleep(1.5)  # the lift-off command and its settling time
    return None


def chinese_main_screen(ini):
    """The main screen's controls as named in the Chinese texts of the language file ini."""
    texts = {}
    section = None
    with open(ini, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if line.startswith("["):
                section = line[1:-1]
            elif "=" in line and section in ("main", "access"):
                key, text = line.split("=", 1)
                texts[(section, key)] = text
    named = {("push button", "Macro Editor"): ("main", "1"), ("slider", "LOD"): ("main", "3"),
             ("push button", "System setting"): ("main", "9"), ("push button", "Config"): ("main", "4"),
             ("push button", "Reset"): ("main", "5"), ("push button", "Save"): ("main", "10"),
             ("combo box", "Profile"): ("access", "3"), ("push button", "Help"): ("access", "0"),
             ("push button", "Minimise"): ("access", "1"), ("push button", "Close"): ("access", "2")}
    return {english: (english[0], texts[where]) for english, where in named.items()}


def main():
    app = find_application(sys.argv[1])
    if app is None:
        print("the program does not appear on the accessibility bus")
        return 1
    chinese = [a.split("=", 1)[1] for a in sys.argv if a.startswith("--chinese=")]
    if chinese:
        # The same controls under their Chinese names, found under their English ones.
        global MAIN_SCREEN
        names = chinese_main_screen(chinese[0])
        MAIN_SCREEN = [names[c] for c in MAIN_SCREEN]
    found = wait_for_main_screen(app)
    missing = [c for c in MAIN_SCREEN if c not in found]
    if missing:
        print("missing from the accessibility tree:", missing)
        print("present:", sorted(found))
        return 1
    if chinese:
        found = {english: found[shown] for english, shown in names.items()}

    nodes = showing_nodes(app)
    problems = naming_problems(nodes) + shown_value_problems(nodes) + focus_problems(nodes)
    if chinese:
        problems += ["'%s' is English" % n.get_name() for n in controls(nodes)
                     if n.get_name() in ENGLISH_ICON_NAMES]
    if "--timing" in sys.argv:
        problems += [p for p in [press_returns_at_once(found)] if p]
        if not wait_until_idle(app):
            problems.append("the window stayed busy after Save")
    if problems:
        print("\n".join(problems))
        return 1
    if "--timing" in sys.argv or chinese:
        return 0
    problems = check_pages(app, found)
    if problems:
        print("\n".join(problems))
        return 1

    # The slider reports what it shows: the lift-off distance in millimetres.
    slider = found[("slider", "LOD")]
    value = slider.get_value_iface()
    if value.get_minimum_value() != 0 or value.get_maximum_value() != 2:
        print("the LOD slider reports", value.get_minimum_value(), "…", value.get_maximum_value())
        return 1
    problem = move_lod_and_save(found, 0)
    if problem:
        print(problem)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
