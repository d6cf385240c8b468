#!/usr/bin/python3
"""Prints the text of the program's open message box, read through the accessibility bus
(AT-SPI), as a screen reader reads it; exits with 1 when no message box is open.

    xvfb-message-text.py APPLICATION_NAME BOX_CAPTION

The message box is an alert of the application whose caption is BOX_CAPTION; its text is
the name of its labels that carry one (the icon's label has none).
"""
import sys

import pyatspi


def alerts(accessible, caption):
    if accessible is None:
        return
    if accessible.getRole() == pyatspi.ROLE_ALERT and accessible.name == caption:
        yield accessible
        return
    for i in range(accessible.childCount):
        yield from alerts(accessible.getChildAtIndex(i), caption)


def labels(accessible):
    for i in range(accessible.childCount):
        child = accessible.getChildAtIndex(i)
        if child is None:
            continue
        if child.getRole() == pyatspi.ROLE_LABEL and child.name:
            yield child.name
        yield from labels(child)


def main():
    application, caption = sys.argv[1], sys.argv[2]
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is None or app.name != application:
            continue
        for box in alerts(app, caption):
            sys.stdout.write("\n".join(labels(box)))
            return 0
    return 1


if __name__ == "__main__":
    sys.exit(main())
