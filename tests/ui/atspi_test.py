#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The real program as a screen reader sees it, over the real accessibility
bridge (AT-SPI): names, the option group, text requests at the end of a
box's text, and the notification that presents each report.

    atspi_test.py PROGRAM      (on an X display, inside dbus-run-session)

Nothing is skipped: if the accessibility bus or the program's bridge does not
come up, every test fails.
"""
import os
import subprocess
import sys
import time
import unittest
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, Gio, GLib  # noqa: E402

LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
CAPTION = "teglomer.example.org Физкултура - индекс за телесна маса"
HEIGHT, WEIGHT, GIRTH = "Височина [см]: ", "Тегло [кг]: ", "Гръдна обиколка [см]: "
METHODS = ["индекс на телесната маса", "индекс на Брок", "индекс на Брейтман",
           "индекс на Борнгард"]
R = Atspi.Role


class Session:
    program = None
    launcher = None
    window = None
    shown = []  # (role, name) of each object that came into view


def wait_for(predicate, seconds, what):
    """Runs the event loop until `predicate` holds; fails after `seconds`."""
    context = GLib.MainContext.default()
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        while context.pending():
            context.iteration(False)
        result = predicate()
        if result:
            return result
        time.sleep(0.02)
    raise AssertionError(what)


def bus_has(name):
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    reply = bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                          "NameHasOwner", GLib.Variant("(s)", (name,)), GLib.VariantType("(b)"),
                          Gio.DBusCallFlags.NONE, 1000, None)
    return reply.unpack()[0]


def program_window():
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app and app.get_name() == "teglomer" and app.get_child_count():
            return app.get_child_at_index(0)
    return None


def children(obj):
    return [obj.get_child_at_index(i) for i in range(obj.get_child_count())]


def find(role, name, root=None):
    for child in children(root or Session.window):
        if child.get_role() == role and child.get_name() == name:
            return child
        found = find(role, name, child)
        if found:
            return found
    return None


def press(obj):
    """Does what the object's first action does: press, or choose."""
    Atspi.Action.do_action(obj, 0)


def set_text(obj, text):
    if not Atspi.EditableText.set_text_contents(obj, text):
        raise AssertionError("cannot type into %s" % obj.get_name())


def on_event(event):
    if event.detail1 == 1:
        Session.shown.append((event.source.get_role(), event.source.get_name()))


def setUpModule():
    if not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
        raise RuntimeError("run this inside dbus-run-session")
    Session.launcher = subprocess.Popen([LAUNCHER, "--launch-immediately"])
    wait_for(lambda: bus_has("org.a11y.Bus"), 10, "the accessibility bus did not start")
    Atspi.init()
    Atspi.set_timeout(5000, 5000)
    Session.listener = Atspi.EventListener.new(on_event)
    Session.listener.register("object:state-changed:showing")
    Session.program = subprocess.Popen(
        [PROGRAM], env=dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", LC_ALL="C"))
    Session.window = wait_for(program_window, 20,
                              "the program's accessibility bridge did not come up")


def tearDownModule():
    for p in (Session.program, Session.launcher):
        if p:
            p.terminate()
            try:
                p.wait(timeout=5)
            except subprocess.TimeoutExpired:
                p.kill()


class AtspiTest(unittest.TestCase):
    def setUp(self):
        self.assertIsNone(Session.program.poll(), "the program has ended")
        self.assertEqual(Session.window.get_name(), CAPTION)  # and still answers

    def choose(self, method):
        press(find(R.RADIO_BUTTON, METHODS[method]))

    def announced(self, expected):
        """Waits for a notification with this text to come into view."""
        wait_for(lambda: (R.NOTIFICATION, expected) in Session.shown, 5,
                 "not announced: %r; came into view: %r" % (expected, Session.shown))

    def test_every_control_is_named_and_the_options_grouped(self):
        window = Session.window
        self.assertEqual(window.get_name(), CAPTION)
        got = [(c.get_role(), c.get_name()) for c in children(window)
               if c.get_role() != R.NOTIFICATION]
        self.assertEqual(got, [
            (R.LABEL, "Физическо възп. - индекс за изчисляване на оптимално тегло"),
            (R.PANEL, "Метод"),
            (R.LABEL, HEIGHT), (R.LABEL, WEIGHT), (R.LABEL, GIRTH),
            (R.TEXT, HEIGHT), (R.TEXT, WEIGHT), (R.TEXT, GIRTH),
            (R.PUSH_BUTTON, "Изчисли"), (R.PUSH_BUTTON, "Изтрий"),
            (R.TEXT, "Резултат"),
            (R.IMAGE, "Скала на индекса на телесната маса от 12 до 45, с граници на класовете"
                      " 16, 18.5, 25, 30, 35 и 40"),
            (R.LABEL, ""), (R.LABEL, "Класовете са за възрастни, от 20 години."),
            (R.LABEL, "Възраст, години"), (R.TEXT, "Възраст, години"),
            (R.LABEL, "Възраст, месеци"), (R.TEXT, "Възраст, месеци"),
            (R.PANEL, "Пол"),
        ])
        self.assertEqual([(o.get_role(), o.get_name()) for o in children(find(R.PANEL, "Пол"))],
                         [(R.RADIO_BUTTON, "момче"), (R.RADIO_BUTTON, "момиче")])
        # What the focus can land on says what it is: the empty range line
        # is not there until it has something to say.
        def unnamed(obj, path):
            found = []
            for child in children(obj):
                where = path + [(child.get_role().value_nick, child.get_name())]
                focusable = child.get_state_set().contains(Atspi.StateType.FOCUSABLE)
                if focusable and child.get_name() == "":
                    found.append(where)
                found += unnamed(child, where)
            return found
        self.assertEqual(unnamed(window, []), [])
        group = find(R.PANEL, "Метод")
        self.assertEqual([(o.get_role(), o.get_name()) for o in children(group)],
                         [(R.RADIO_BUTTON, m) for m in METHODS])
        for parent in (window, group):
            for i, child in enumerate(children(parent)):
                self.assertEqual(child.get_parent(), parent)
                self.assertEqual(child.get_index_in_parent(), i)

    def test_text_requests_at_the_end_answer_within_a_second(self):
        Atspi.set_timeout(1000, 1000)
        self.addCleanup(Atspi.set_timeout, 5000, 5000)
        # Orca asks for text by boundary, which the library calls deprecated.
        with warnings.catch_warnings():
            warnings.simplefilter("ignore", DeprecationWarning)
            for name in (HEIGHT, WEIGHT):
                box = find(R.TEXT, name)
                set_text(box, "170")
                self.assertEqual(Atspi.Text.get_text(box, 0, -1), "170")
                # What Orca asks: the requests by boundary, not by granularity.
                for boundary in Atspi.TextBoundaryType.__enum_values__.values():
                    for offset in range(4):
                        for ask in (Atspi.Text.get_text_at_offset,
                                    Atspi.Text.get_text_before_offset,
                                    Atspi.Text.get_text_after_offset):
                            start = time.monotonic()
                            got = ask(box, offset, boundary)
                            took = time.monotonic() - start
                            self.assertLess(took, 1.0, (name, boundary, offset))
                            self.assertEqual(got.content,
                                             "170"[got.start_offset:got.end_offset])
                word = Atspi.Text.get_text_at_offset(box, 3, Atspi.TextBoundaryType.WORD_START)
                self.assertEqual((word.content, word.start_offset, word.end_offset),
                                 ("170", 0, 3))

    def test_a_report_is_announced(self):
        self.choose(1)
        set_text(find(R.TEXT, HEIGHT), "170")
        set_text(find(R.TEXT, WEIGHT), "72")
        Session.shown.clear()
        press(find(R.PUSH_BUTTON, "Изчисли"))
        self.announced("Изчисляване: индекс на Брок\nЖелано тегло: 65\nНаднормено тегло: 7\n"
                       "Нормално тегло при 170 см: от 54 до 72 кг")
        # The scale is named for what it now shows, the range line says it.
        self.assertIsNotNone(find(R.IMAGE, "Индекс на телесната маса 24.91: нормално тегло."
                                  " Нормално тегло при 170 см: от 54 до 72 кг. Желано тегло"
                                  " (индекс на Брок): 65 кг, индекс 22.49."))
        self.assertIsNotNone(find(R.LABEL, "Нормално тегло при 170 см: от 54 до 72 кг"))
        press(find(R.PUSH_BUTTON, "Изтрий"))
        self.announced("Направете нов избор")

    def test_the_chest_girth_box_is_announced(self):
        self.choose(2)
        box = find(R.TEXT, GIRTH)
        wait_for(lambda: not box.get_state_set().contains(Atspi.StateType.SHOWING), 5,
                 "the chest-girth box is still showing")
        Session.shown.clear()
        self.choose(3)
        self.announced("Появи се поле „Гръдна обиколка [см]“")
        self.assertTrue(box.get_state_set().contains(Atspi.StateType.SHOWING))


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: atspi_test.py PROGRAM")
    PROGRAM = sys.argv.pop(1)
    unittest.main(verbosity=2)
