"""One step on the lift-off slider of the running program, over AT-SPI as a screen reader's
user would take it: "set N" moves the slider to the distance of N millimetres, as it reads them,
and presses Save; "expect N" checks that the slider shows N. Exit status 0 when the step worked.

usage: lod_step.py <program name> set|expect <millimetres>"""

import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from a11y_check import find_application, move_lod_and_save, wait_for_main_screen  # noqa: E402


def main():
    name, step, position = sys.argv[1], sys.argv[2], float(sys.argv[3])
    app = find_application(name)
    if app is None:
        print("the program does not appear on the accessibility bus")
        return 1
    found = wait_for_main_screen(app)
    missing = [c for c in [("slider", "LOD"), ("push button", "Save")] if c not in found]
    if missing:
        print("missing from the main screen:", missing, "present:", sorted(found))
        return 1

    if step == "expect":
        # The scene fills the slider from the profile once the mouse is connected.
        value = found[("slider", "LOD")].get_value_iface()
        end = time.time() + 10
        while value.get_current_value() != position and time.time() < end:
            time.sleep(0.2)
        if value.get_current_value() != position:
            print("the LOD slider shows", value.get_current_value(), "instead of", position)
            return 1
        return 0

    problem = move_lod_and_save(found, position)
    if problem:
        print(problem)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
