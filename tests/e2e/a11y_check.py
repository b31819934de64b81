"""Reads the program's accessibility tree over AT-SPI, checks the controls of the main
screen, then moves the lift-off slider to its nearest position and presses Save, as a
screen reader's user would. Exit status 0 when all of it worked."""

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


def move_lod_and_save(found, position):
    """Moves the LOD slider of the main screen (found, as wait_for_main_screen gives it) to
    position and presses Save. What went wrong, or None."""
    value = found[("slider", "LOD")].get_value_iface()
    if not value.set_current_value(float(position)) or value.get_current_value() != position:
        return "the LOD slider did not take position %d" % position
    actions = found[("push button", "Save")].get_action_iface()
    names = [actions.get_action_name(i) for i in range(actions.get_n_actions())]
    if "Press" not in names or not actions.do_action(names.index("Press")):
        return "Save cannot be pressed: %s" % names
    time.sleep(1.5)  # the lift-off command and its settling time
    return None


def main():
    app = find_application(sys.argv[1])
    if app is None:
        print("the program does not appear on the accessibility bus")
        return 1
    found = wait_for_main_screen(app)
    missing = [c for c in MAIN_SCREEN if c not in found]
    if missing:
        print("missing from the accessibility tree:", missing)
        print("present:", sorted(found))
        return 1

    slider = found[("slider", "LOD")]
    value = slider.get_value_iface()
    if value.get_minimum_value() != 3 or value.get_maximum_value() != 89:
        print("the LOD slider reports", value.get_minimum_value(), "…", value.get_maximum_value())
        return 1
    problem = move_lod_and_save(found, 3)
    if problem:
        print(problem)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
