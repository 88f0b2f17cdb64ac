#!/usr/bin/python3
"""Walks Ampwise's main window over the accessibility bus as a screen reader does.

Prints every named control it hears (role, name, and the label a list is labelled by) and exits
0 when it finds the Power field by its name, "Power, kW", as an editable text and the Material
list labelled "Material"; 1 when it does not, 2 when the program never appears on the bus. Run through screen_reader_check.sh, which starts the bus, a display and the
program."""
import sys
import time

import pyatspi


def find_app(name, seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    return None


def labelled_by(node):
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            return relation.getTarget(0).name
    return ""


def walk(node, depth=0, seen=None):
    seen = [] if seen is None else seen
    if node is None or depth > 40:
        return seen
    try:
        role, name, label = node.getRoleName(), node.name, labelled_by(node)
    except Exception:  # a node that went away while walking
        return seen
    seen.append((depth, role, name, label))
    for i in range(node.childCount):
        walk(node.getChildAtIndex(i), depth + 1, seen)
    return seen


def main():
    app = find_app(sys.argv[1] if len(sys.argv) > 1 else "Ampwise", 20)
    if app is None:
        print("the program did not appear on the accessibility bus")
        return 2
    heard = walk(app)
    for depth, role, name, label in heard:
        if name:
            print("  " * depth + f"{role}: {name}" + (f" (labelled by {label})" if label else ""))
    power = [n for _, role, n, _ in heard if role == "text" and n == "Power, kW"]
    material = [n for _, role, n, label in heard if role == "combo box" and label == "Material"]
    print("found the Power field by its name" if power else "no text named \"Power, kW\"")
    print("found the Material list by its label" if material else "no list labelled Material")
    return 0 if power and material else 1


if __name__ == "__main__":
    sys.exit(main())
