#!/usr/bin/python3
"""What a screen reader learns of an application over AT-SPI.

Usage: atspi_dump.py APPLICATION-NAME
       atspi_dump.py --tree APPLICATION-NAME

Waits for the application on the accessibility bus, listens for the focus moving onto a list
item and prints "ready". Then prints "focus ROLE|NAME" for the first list item that takes the
focus within 10 s ("focus" alone if none does), and the application's tree, one accessible per
line: "DEPTH|ROLE|NAME|DESCRIPTION|STATES|TEXT OR VALUE". Of a list only the first three
items are printed. With --tree it prints the tree alone, as soon as the application is found
and its window is on the bus.
"""
import sys
import time

import pyatspi
from gi.repository import GLib


def find_application(name):
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        for application in pyatspi.Registry.getDesktop(0):
            if application is not None and application.name == name:
                return application
        time.sleep(0.2)
    sys.exit('no application named %s on the accessibility bus' % name)


def clean(value):
    return str(value).replace('|', '/').replace('\n', ' ')


def content(accessible):
    try:
        text = accessible.queryText()
        return text.getText(0, text.characterCount)
    except NotImplementedError:
        pass
    try:
        return accessible.queryValue().currentValue
    except NotImplementedError:
        return ''


def dump(accessible, depth=0):
    states = sorted(pyatspi.stateToString(s) for s in accessible.getState().getStates())
    print('|'.join(clean(field) for field in (
        depth, accessible.getRoleName(), accessible.name, accessible.description,
        ','.join(states), content(accessible))))
    count = accessible.childCount
    if accessible.getRole() == pyatspi.ROLE_LIST:
        count = min(count, 3)
    for index in range(count):
        child = accessible.getChildAtIndex(index)
        if child is not None:
            dump(child, depth + 1)


if sys.argv[1] == '--tree':
    application = find_application(sys.argv[2])
    deadline = time.monotonic() + 30
    while application.childCount == 0 and time.monotonic() < deadline:
        time.sleep(0.2)
    dump(application)
    sys.exit(0)

application = find_application(sys.argv[1])
focused = []


def on_focus(event):
    if event.detail1 == 1 and event.source.getRole() == pyatspi.ROLE_LIST_ITEM:
        focused.append(event.source.getRoleName() + '|' + event.source.name)
        pyatspi.Registry.stop()


pyatspi.Registry.registerEventListener(on_focus, 'object:state-changed:focused')
# A call the application answers itself: by then it has heard of the listener.
application.getAttributes()
print('ready', flush=True)
GLib.timeout_add(10000, lambda: pyatspi.Registry.stop() or False)
pyatspi.Registry.start()
print(' '.join(['focus'] + focused[:1]))
dump(application)
