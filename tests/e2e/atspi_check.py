#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What a screen reader finds in the running program, read and pressed over the AT-SPI bus.

Finds the main window, both pages and the menu entry "Tastatur anzeigen" by name, opens the
keypad through that entry, presses "Sieben", "Plus", "Zwei" and "Zeile berechnen" through their
actions and reads the page back; checks that no control of either window is unnamed, that the
keypad is a window with named panels, that its function box is "Funktion" and that the
decimal-places field has a value; that "Diagramm..." names its key in German; opens the help and
walks its caret down with the arrow key, reading the line it stands on, as a screen reader does;
then leaves through "Ende". Talks to the accessibility bus with python3-dbus alone (and xdotool
for the keys). Exit status 0 when every check holds.
"""
import subprocess
import sys
import time

import dbus

ACCESSIBLE = "org.a11y.atspi.Accessible"
PROPERTIES = "org.freedesktop.DBus.Properties"
LINE_START = 5  # AtspiTextBoundaryType
STATE_FOCUSED = 12  # AtspiStateType

# Qt names the role "spin box", AT-SPI itself "spin button".
SPIN_BOX = {"spin box", "spin button"}
# Roles of controls a user operates; each must have a name.
CONTROL_ROLES = {"push button", "menu item", "text", "check box", "combo box", "page tab",
                 "list", "entry", "toggle button", "radio button"} | SPIN_BOX


def fail(message):
    print("FAILED: " + message, file=sys.stderr)
    sys.exit(1)


class Node:
    def __init__(self, bus, sender, path):
        self.bus = bus
        self.sender = str(sender)
        self.path = str(path)
        self.obj = bus.get_object(self.sender, self.path, introspect=False)

    def prop(self, interface, name):
        return self.obj.Get(interface, name, dbus_interface=PROPERTIES)

    @property
    def name(self):
        return str(self.prop(ACCESSIBLE, "Name"))

    @property
    def role(self):
        return str(self.obj.GetRoleName(dbus_interface=ACCESSIBLE))

    def children(self):
        return [Node(self.bus, s, p) for s, p in self.obj.GetChildren(dbus_interface=ACCESSIBLE)]

    def walk(self, depth=0):
        yield self
        if depth < 25:
            for child in self.children():
                yield from child.walk(depth + 1)

    def find(self, name, roles):
        for node in self.walk():
            if node.name == name and node.role in roles:
                return node
        return None

    def press(self):
        self.obj.DoAction(dbus.Int32(0), dbus_interface="org.a11y.atspi.Action")

    def key_binding(self):
        return str(self.obj.GetKeyBinding(dbus.Int32(0), dbus_interface="org.a11y.atspi.Action"))

    def text(self):
        return str(self.obj.GetText(dbus.Int32(0), dbus.Int32(-1),
                                    dbus_interface="org.a11y.atspi.Text"))

    def value(self):
        return float(self.prop("org.a11y.atspi.Value", "CurrentValue"))

    def caret(self):
        return int(self.prop("org.a11y.atspi.Text", "CaretOffset"))

    def line_at(self, offset):
        line, _, _ = self.obj.GetTextAtOffset(dbus.Int32(offset), dbus.UInt32(LINE_START),
                                              dbus_interface="org.a11y.atspi.Text")
        return str(line)

    def focused(self):
        return bool(self.obj.GetState(dbus_interface=ACCESSIBLE)[0] & (1 << STATE_FOCUSED))


def accessibility_bus():
    session = dbus.SessionBus()
    launcher = session.get_object("org.a11y.Bus", "/org/a11y/bus")
    return dbus.bus.BusConnection(str(launcher.GetAddress(dbus_interface="org.a11y.Bus")))


def wait_for(what, find, seconds=60):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        try:
            found = find()
        except dbus.DBusException:
            found = None
        if found is not None:
            return found
        time.sleep(0.5)
    fail(what + " not found over AT-SPI")


def top_window(bus, matches):
    registry = Node(bus, "org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root")
    for application in registry.children():
        for window in application.children():
            if matches(window.name):
                return window
    return None


# A control without a name, or a painted widget that tells nothing about itself (a filler without
# children; the viewport inside a text field is part of the field).
def unnamed_controls(node, parent_role="", depth=0):
    role = node.role
    children = node.children() if depth < 25 else []
    unnamed = []
    if role == "filler" and not children and parent_role != "text":
        unnamed.append("a filler without a name or children at " + node.path)
    elif role in CONTROL_ROLES and not node.name.strip():
        unnamed.append("%s at %s" % (role, node.path))
    for child in children:
        unnamed += unnamed_controls(child, role, depth + 1)
    return unnamed


def main():
    bus = wait_for("the accessibility bus", accessibility_bus)
    main_window = wait_for("the main window",
                           lambda: top_window(bus, lambda name: name.startswith("Quorvel V")))
    print("main window: %s (%s)" % (main_window.name, main_window.role))
    page = main_window.find("Berechnung", {"text"})
    if page is None or main_window.find("Notizen", {"text"}) is None:
        fail('the pages "Berechnung" and "Notizen" are not named')

    undo = main_window.find("Undo", {"menu item"})
    if undo is None or not undo.key_binding():
        fail('the entry "Undo" is not named without its padding, or has no key binding')
    print('"Undo" is bound to %s' % undo.key_binding())
    show_keypad = main_window.find("Tastatur anzeigen", {"menu item"})
    if show_keypad is None:
        fail('no menu entry "Tastatur anzeigen"')
    show_keypad.press()
    keypad = wait_for("the keypad", lambda: top_window(bus, lambda name: name == "Tasteneingabe"))
    if keypad.role == "filler":
        fail("the keypad window is a filler")
    print("keypad: %s (%s)" % (keypad.name, keypad.role))

    for key in ("Sieben", "Plus", "Zwei", "Zeile berechnen"):
        button = keypad.find(key, {"push button"})
        if button is None:
            fail('no key "%s"' % key)
        button.press()
    text = page.text()
    if "7+2 = 9" not in text:
        fail('the page reads %r after "Sieben", "Plus", "Zwei", "Zeile berechnen"' % text)
    print("the page after the keys: %r" % text)

    decimals = keypad.find("Nachkommastellen", SPIN_BOX)
    if decimals is None:
        fail('no spin box "Nachkommastellen"')
    try:
        value = decimals.value()
    except dbus.DBusException as e:
        fail('the field "Nachkommastellen" has no value: %s' % e)
    if value != 0:
        fail('the field "Nachkommastellen" has the value %s, not 0' % value)

    unnamed = unnamed_controls(main_window) + unnamed_controls(keypad)
    unnamed += ["a %s at %s" % (n.role, n.path) for n in keypad.walk()
                if n.role in ("frame", "panel") and not n.name.strip()]
    if unnamed:
        fail("unnamed controls:\n  " + "\n  ".join(unnamed))
    print("no unnamed control in the main window and the keypad")
    if keypad.find("Funktion", {"combo box"}) is None:
        fail('the keypad\'s function box is not the combo box "Funktion"')

    diagram = main_window.find("Diagramm...", {"menu item"})
    if diagram is None or diagram.key_binding() != "Strg+Umschalt+D":
        fail('"Diagramm..." is not bound to "Strg+Umschalt+D"')
    print('"Diagramm..." is bound to %s' % diagram.key_binding())

    main_window.find("Hilfe", {"menu item"}).press()
    help_window = wait_for("the help window",
                           lambda: top_window(bus, lambda name: name == "Taschenrechner Hilfe"))
    help_text = wait_for("the help text", lambda: help_window.find("Hilfetext", {"text"}))
    wait_for("the keyboard in the help text", lambda: help_text if help_text.focused() else None)
    # Down by Down, as a reader walks the text, until the caret stands on a line with words.
    line = ""
    for _ in range(6):
        before = help_text.caret()
        subprocess.run(["xdotool", "key", "Down"], check=True)
        moved = wait_for("the caret moved by Down",
                         lambda b=before: help_text.caret() if help_text.caret() > b else None,
                         20)
        line = help_text.line_at(moved)
        if line.strip():
            break
    if not line.strip():
        fail("the help's lines at the caret read nothing")
    print("the help's caret at %d, on the line %r" % (moved, line.strip()))
    subprocess.run(["xdotool", "key", "Escape"], check=True)

    try:
        main_window.find("Ende", {"menu item"}).press()
    except dbus.DBusException:
        pass  # the program may end before it answers


if __name__ == "__main__":
    main()
