#!/usr/bin/env python3
"""What a screen reader finds in a program's windows, read over AT-SPI.

  a11y_walk.py PID dump                 every focusable control of every window
  a11y_walk.py PID check TITLE...       fails unless, in each window named, every focusable
                                        control has a name of its own and every slider a value
                                        text in dB or Hz
  a11y_walk.py PID toggle TITLE NAME    presses the control and prints its checked state
  a11y_walk.py PID value TITLE NAME     prints the control's value
  a11y_walk.py PID menus TITLE          every menu item of the window's menu bar, as
                                        "Menu > Item", with " (checked)" when it is
"""
import sys
import time

import pyatspi


def application(pid, timeout=15):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            try:
                if app is not None and app.get_process_id() == pid:
                    return app
            except Exception:
                continue
        time.sleep(0.2)
    sys.exit(f"a11y_walk: no accessible application with pid {pid}")


def window(app, title, timeout=10):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        for win in app:
            if win is not None and win.name == title:
                return win
        time.sleep(0.2)
    sys.exit(f"a11y_walk: no window {title!r}; there are {[w.name for w in app]}")


def focusable(root):
    found = []
    for child in root:
        if child is None:
            continue
        if child.getState().contains(pyatspi.STATE_FOCUSABLE):
            found.append(child)
        found.extend(focusable(child))
    return found


def value_of(node):
    try:
        value = node.queryValue()
    except NotImplementedError:
        return None
    return (value.currentValue, value.minimumValue, value.maximumValue, value.minimumIncrement)


def describe(node):
    parts = [node.getRoleName(), repr(node.name)]
    if node.description:
        parts.append(f"description={node.description!r}")
    value = value_of(node)
    if value is not None:
        parts.append("value=%g [%g..%g step %g]" % value)
    states = node.getState()
    parts += [word for state, word in ((pyatspi.STATE_CHECKED, "checked"),
                                       (pyatspi.STATE_FOCUSED, "focused")) if states.contains(state)]
    if not states.contains(pyatspi.STATE_SENSITIVE):
        parts.append("disabled")
    for relation in node.getRelationSet():
        targets = [relation.getTarget(i).name for i in range(relation.getNTargets())]
        parts.append(f"{pyatspi.relationToString(relation.getRelationType())}={targets!r}")
    return " | ".join(parts)


def dump(app):
    for win in app:
        if win is None:
            continue
        print(f"window {win.name!r} ({win.getRoleName()})")
        for node in focusable(win):
            print("  " + describe(node))


def problems(win):
    found = []
    names = {}
    for node in focusable(win):
        name = node.name.strip()
        if not name:
            found.append(f"a {node.getRoleName()} has no name")
            continue
        names[name] = names.get(name, 0) + 1
        if node.getRole() in (pyatspi.ROLE_SLIDER, pyatspi.ROLE_SCROLL_BAR):
            if node.getRole() != pyatspi.ROLE_SLIDER:
                found.append(f"{name!r} is a {node.getRoleName()}, not a slider")
            if not any(unit in node.description.split() for unit in ("dB", "Hz", "centre")):
                found.append(f"{name!r} has no value text in dB or Hz: {node.description!r}")
            if value_of(node) is None:
                found.append(f"{name!r} has no value")
    found += [f"{count} controls are named {name!r}" for name, count in names.items() if count > 1]
    return found


def check(app, titles):
    failed = False
    for title in titles:
        win = window(app, title)
        controls = focusable(win)
        for problem in problems(win):
            print(f"{title}: {problem}")
            failed = True
        print(f"{title}: {len(controls)} focusable controls looked at")
    return 1 if failed else 0


def control(app, title, name):
    matches = [n for n in focusable(window(app, title)) if n.name == name]
    if not matches:
        sys.exit(f"a11y_walk: no {name!r} in {title!r}")
    return matches[0]


def toggle(app, title, name):
    node = control(app, title, name)
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    index = next(i for i, n in enumerate(names) if n.lower() in ("press", "toggle", "click"))
    action.doAction(index)
    time.sleep(0.5)
    states = node.getState()
    # A check box or toggle button is checkable by its role; Qt 6.4 sends no checkable state.
    checkable = states.contains(pyatspi.STATE_CHECKABLE) or node.getRole() in (
        pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_TOGGLE_BUTTON)
    print("checkable" if checkable else "not-checkable",
          "checked" if states.contains(pyatspi.STATE_CHECKED) else "unchecked")


def menus(app, title):
    items = (pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_CHECK_MENU_ITEM, pyatspi.ROLE_RADIO_MENU_ITEM)

    def under(node, path):
        for child in node:
            if child is None:
                continue
            if child.getRole() in items:
                checked = child.getState().contains(pyatspi.STATE_CHECKED)
                print(" > ".join(path + [child.name]) + (" (checked)" if checked else ""))
                under(child, path + [child.name])
            else:
                under(child, path)

    for node in window(app, title):
        if node is not None:
            under(node, [])


def main():
    pid, verb, rest = int(sys.argv[1]), sys.argv[2], sys.argv[3:]
    app = application(pid)
    if verb == "dump":
        dump(app)
        return 0
    if verb == "check":
        return check(app, rest)
    if verb == "toggle":
        toggle(app, rest[0], rest[1])
        return 0
    if verb == "menus":
        menus(app, rest[0])
        return 0
    if verb == "value":
        print("%g" % control(app, rest[0], rest[1]).queryValue().currentValue)
        return 0
    sys.exit(f"a11y_walk: unknown verb {verb!r}")


if __name__ == "__main__":
    sys.exit(main())
