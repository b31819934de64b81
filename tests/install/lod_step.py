"""One step on the lift-off slider of the running program, over AT-SPI as a screen reader's
user would take it: "set N" moves the slider to position N and presses Save; "expect N" checks
that the slider shows position N. Exit status 0 when the step worked.

usage: lod_step.py <program name> set|expect <position>"""

import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from a11y_check import find_application, wait_for_main_screen  # noqa: E402


def main():
    name, step, position = sys.argv[1], sys.argv[2], int(sys.argv[3])
    app = find_application(name)
    if app is None:
        print("the program does not appear on the accessibility bus")
        return 1
    found = wait_for_main_screen(app)
    slider = found.get(("slider", "LOD"))
    if slider is None:
        print("no LOD slider on the main screen; present:", sorted(found))
        return 1
    value = slider.get_value_iface()

    if step == "expect":
        # The scene fills the slider from the profile once the mouse is connected.
        end = time.time() + 10
        while value.get_current_value() != position and time.time() < end:
            time.sleep(0.2)
        if value.get_current_value() != position:
            print("the LOD slider shows", value.get_current_value(), "instead of", position)
            return 1
        return 0

    if not value.set_current_value(float(position)) or value.get_current_value() != position:
        print("the LOD slider did not take position", position)
        return 1
    save = found.get(("push button", "Save"))
    actions = save.get_action_iface() if save is not None else None
    names = [actions.get_action_name(i) for i in range(actions.get_n_actions())] if actions else []
    if "Press" not in names or not actions.do_action(names.index("Press")):
        print("Save cannot be pressed:", names)
        return 1
    time.sleep(1.5)  # the lift-off command and its settling time
    return 0


if __name__ == "__main__":
    sys.exit(main())
