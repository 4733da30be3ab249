# SPDX-License-Identifier: GPL-3.0-or-later
"""The AT-SPI client of atspi.sh: finds the main window of the running program on the
accessibility bus, checks that every control it shows is there by role and name with its
value, sets the Volume knob and the frequency through the value interface and presses Start
through the action interface. Writes the tree it found to the file named as its argument.
Usage: atspi_client.py TREE.json"""
import json
import sys
import time

import pyatspi
from gi.repository import GLib

WINDOW_TITLE = "Velmora Beta 2.4"


def wait_for(what, probe, seconds=60):
    """probe() until it gives something other than None; each try is a round trip to the bus,
    so a busy machine only makes it slower, never wrong."""
    deadline = time.monotonic() + seconds
    while True:
        try:
            found = probe()
        except Exception:  # the tree changes under us while the program starts
            found = None
        if found is not None:
            return found
        if time.monotonic() > deadline:
            raise SystemExit(f"atspi_client: timed out waiting for {what}")
        time.sleep(0.2)


def main_window():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is None:
            continue
        for window in app:
            if window is not None and window.name == WINDOW_TITLE:
                return window
    return None


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def describe(node):
    entry = {"role": node.getRoleName(), "name": node.name, "description": node.description}
    try:
        value = node.queryValue()
        entry["value"] = value.currentValue
        entry["minimum"] = value.minimumValue
        entry["maximum"] = value.maximumValue
        entry["step"] = value.minimumIncrement
    except NotImplementedError:
        pass
    try:
        text = node.queryText()
        entry["text"] = text.getText(0, -1)
    except NotImplementedError:
        pass
    try:
        action = node.queryAction()
        entry["actions"] = [action.getName(i) for i in range(action.nActions)]
    except NotImplementedError:
        pass
    states = node.getState()
    entry["focusable"] = states.contains(pyatspi.STATE_FOCUSABLE)
    entry["showing"] = states.contains(pyatspi.STATE_SHOWING)
    return entry


def find(window, role, name):
    for node in walk(window):
        if node.getRole() == role and node.name == name:
            return node
    return None


def expect(condition, message):
    if not condition:
        raise SystemExit("atspi_client: " + message)


def close_to(a, b):
    return abs(a - b) < 1e-6


def main():
    window = wait_for("the main window on the accessibility bus", main_window)
    # The controls, as the window shows them: role, name, and the range of those with a value.
    wanted = [
        (pyatspi.ROLE_SLIDER, "Main frequency", (1, 250)),
        (pyatspi.ROLE_TEXT, "Main frequency", (0.1, 35)),
        (pyatspi.ROLE_DIAL, "Depth", (0, 15)),
        (pyatspi.ROLE_DIAL, "Oscilator 1", (0, 5)),
        (pyatspi.ROLE_DIAL, "Oscilator 2", (0, 10)),
        (pyatspi.ROLE_DIAL, "Volume", (0, 10)),
        (pyatspi.ROLE_PUSH_BUTTON, "Start", None),
        (pyatspi.ROLE_IMAGE, "Picture", None),
        (pyatspi.ROLE_CHECK_BOX, "Right/Left Difference", None),
        (pyatspi.ROLE_CHECK_BOX, "1/2 Period", None),
    ]
    found = {}
    for role, name, limits in wanted:
        node = wait_for(f"{pyatspi.Atspi.Role(role).value_nick} '{name}'",
                        lambda: find(window, role, name))
        entry = describe(node)
        found[(role, name)] = node
        if limits is not None:
            expect("value" in entry, f"'{name}' has no value interface: {entry}")
            lo, hi = limits
            expect(close_to(entry["minimum"], lo) and entry["maximum"] >= hi * 0.999
                   and entry["maximum"] <= hi * 1.001,
                   f"'{name}' ranges {entry['minimum']}..{entry['maximum']}, not {lo}..{hi}")
            expect(entry["step"] > 0, f"'{name}' has no step")
        if role != pyatspi.ROLE_IMAGE:
            expect(entry["focusable"], f"'{name}' cannot take the focus")
        expect(entry["description"] != "" or role == pyatspi.ROLE_PUSH_BUTTON,
               f"'{name}' has no description")

    frequency_text = describe(found[(pyatspi.ROLE_TEXT, "Main frequency")])
    expect(frequency_text.get("text", "").endswith(" Hz"),
           f"the frequency box reads {frequency_text.get('text')!r}, without its unit")
    expect("running" not in describe(found[(pyatspi.ROLE_IMAGE, "Picture")])["description"],
           "the picture says it runs before Start")

    # Set through the value interface, as the keys would set them.
    volume = found[(pyatspi.ROLE_DIAL, "Volume")].queryValue()
    volume.currentValue = 4
    wait_for("the Volume knob at 4", lambda: True if close_to(volume.currentValue, 4) else None)
    frequency = found[(pyatspi.ROLE_TEXT, "Main frequency")].queryValue()
    frequency.currentValue = 12.5
    wait_for("the frequency at 12.5",
             lambda: True if close_to(frequency.currentValue, 12.5) else None)
    slider = found[(pyatspi.ROLE_SLIDER, "Main frequency")].queryValue()
    wait_for("the slider following the frequency",
             lambda: True if close_to(slider.currentValue, 125) else None)
    box_text = found[(pyatspi.ROLE_TEXT, "Main frequency")].queryText()
    wait_for("the frequency box showing 12.5 Hz",
             lambda: True if box_text.getText(0, -1) == "12.5 Hz" else None)

    # Start, pressed through the action interface; the button is then named Stop, and says so
    # to a screen reader listening for changed names.
    start = found[(pyatspi.ROLE_PUSH_BUTTON, "Start")]
    renamed = []

    def on_name(event):
        if event.source == start and event.source.name == "Stop":
            renamed.append(event)

    pyatspi.Registry.registerEventListener(on_name, "object:property-change:accessible-name")
    action = start.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    expect("Press" in names, f"Start offers {names}, no Press")
    action.doAction(names.index("Press"))
    wait_for("the button to be named Stop after the press",
             lambda: True if start.name == "Stop" else None)
    context = GLib.MainContext.default()

    def heard():
        while context.iteration(False):
            pass
        return True if renamed else None

    wait_for("the announcement of the name Stop", heard)
    pyatspi.Registry.deregisterEventListener(on_name, "object:property-change:accessible-name")
    picture = found[(pyatspi.ROLE_IMAGE, "Picture")]
    wait_for("the picture to say it runs",
             lambda: True if picture.description.endswith("running") else None)

    tree = [describe(node) for node in walk(window)
            if node.getRole() not in (pyatspi.ROLE_FILLER, pyatspi.ROLE_PANEL, pyatspi.ROLE_FRAME)]
    with open(sys.argv[1], "w", encoding="utf-8") as out:
        json.dump(tree, out, ensure_ascii=False, indent=1)
    for entry in tree:
        print("atspi_client:", json.dumps(entry, ensure_ascii=False))


if __name__ == "__main__":
    main()
