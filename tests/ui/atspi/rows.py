#!/usr/bin/python3
# Finds the client on the accessibility bus, as a screen reader does, and prints its channel
# list: the tree's name, then each row's name and whether it is open ("+") or closed ("-").
# usage: rows.py SECONDS      (exit 1 when no list shows up in time)
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402


def find_tree(node, depth=0):
    if node is None or depth > 30:
        return None
    # The header is a child too: a list is there once rows follow it.
    if node.get_role() in (Atspi.Role.TREE, Atspi.Role.TREE_TABLE) and node.get_child_count() > 1:
        return node
    for i in range(node.get_child_count()):
        found = find_tree(node.get_child_at_index(i), depth + 1)
        if found is not None:
            return found
    return None


deadline = time.time() + float(sys.argv[1])
while time.time() < deadline:
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        tree = find_tree(app)
        if tree is None:
            continue
        print("tree", tree.get_name())
        for r in range(tree.get_child_count()):
            row = tree.get_child_at_index(r)
            states = row.get_state_set()
            mark = "+" if states.contains(Atspi.StateType.EXPANDED) else "-"
            print("row", mark, row.get_name())
        sys.exit(0)
    time.sleep(0.5)
print("no channel list on the accessibility bus", file=sys.stderr)
sys.exit(1)
