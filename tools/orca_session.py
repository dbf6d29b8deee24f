#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Runs the Orca screen reader against the program and prints what it says.

    orca_session.py PROGRAM     (on an X display, inside its own D-Bus session)

Orca speaks through speech-dispatcher's dummy output; what it would say is
read from its debug log. Keys are typed with xdotool, one at a time, each
followed by a wait until Orca has gone quiet.
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import termios
import threading
import time

LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
CAPTION = "Физкултура - индекс за телесна маса"


FOCUS = "focus the window"


def typed(text):
    return list(text)


def position(index, total):
    """ "1 of 4", in whatever language Orca speaks."""
    return re.compile(r"\b%d \w+ %d\b" % (index, total))


# What a user does, step by step: a heading, the keys (xdotool names), and
# what must be heard on the way. The focus starts in the output box; the
# order is output box, height, weight, Calculate, Clear, the four methods (the
# chest-girth box, once shown, before the last).
STEPS = [
    ("The window opens", [], ["Резултат"]),
    ("Tab through the window", ["Tab"] * 9,
     ["Височина [см]:", "Тегло [кг]:", "Изчисли", "Изтрий", "Метод", "индекс на телесната маса",
      position(1, 4), "индекс на Брок", "индекс на Брейтман", "индекс на Борнгард",
      position(4, 4)]),
    ("Choose Broca: Tab to it, Space", ["Tab"] * 6 + ["space"], []),
    ("Type 170 cm and 72 kg", ["Tab"] * 4 + typed("170") + ["Tab"] + typed("72"), []),
    ("Calculate: Enter in the weight box", ["Return"],
     ["Изчисляване: индекс на Брок / Желано тегло: 65 / Наднормено тегло: 7"]),
    ("Ctrl+Right in the filled height box", ["shift+Tab", "Home", "ctrl+Right", "ctrl+Left"],
     ["170"]),
    ("Clear: Tab to «Изтрий», Enter", ["Tab"] * 3 + ["Return"], ["Направете нов избор"]),
    ("Overflow: Breitman, 170 cm and 9e9 kg, Enter", ["Tab"] * 3 + ["space"] + ["Tab"] * 3 +
     typed("170") + ["Tab"] + typed("9e9") + ["Return"],
     ["Въведеното число е извън допустимия обхват (от -32768 до 32767)."]),
    ("Close the warning: Enter on its button", ["Return"], ["Изчисляване: индекс на Брейтман"]),
    # With no window manager here, nobody hands the focus back to the window
    # when the dialog closes; a desktop does.
    ("Choose Borngard: Tab to it, Space; Shift+Tab to the new box",
     [FOCUS] + ["Tab"] * 6 + ["space", "shift+Tab"],
     ["Появи се поле „Гръдна обиколка [см]“", "Гръдна обиколка [см]:"]),
]

KEY_NAMES = {"space": "Space", "Return": "Enter", "shift+Tab": "Shift+Tab",
             "ctrl+Right": "Ctrl+Right", "ctrl+Left": "Ctrl+Left"}
SPOKEN = re.compile(r"SPEECH OUTPUT: '(.*?)' ?\{'", re.S)
# Orca writes this when it is done with a key press.
KEY_DONE = "^^^^^ PROCESS ATSPI_KEY_PRESSED_EVENT"


def fail(message):
    print("FAILED: " + message)
    sys.exit(1)


def wait_until(predicate, seconds, what):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if predicate():
            return
        time.sleep(0.1)
    fail(what)


class Log:
    """Orca's debug log, read from where the last look ended.

    Orca writes its log through a terminal, which makes Python flush every
    line: to a plain file it would come in blocks, long after the speech.
    """

    def __init__(self):
        self.master, self.slave = os.openpty()
        attrs = termios.tcgetattr(self.slave)
        attrs[1] &= ~termios.OPOST  # no CR before each LF
        attrs[3] &= ~termios.ECHO
        termios.tcsetattr(self.slave, termios.TCSANOW, attrs)
        self.path = os.ttyname(self.slave)
        self.data = bytearray()
        self.offset = 0
        self.lock = threading.Lock()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        while True:
            try:
                chunk = os.read(self.master, 65536)
            except OSError:
                return
            if not chunk:
                return
            with self.lock:
                self.data += chunk

    def text(self):
        with self.lock:
            return self.data.decode("utf-8", "replace")

    def size(self):
        with self.lock:
            return len(self.data)

    def count(self, marker):
        return self.text().count(marker)

    def settle(self, quiet=1.0, longest=8.0):
        """Waits until the log has not grown for `quiet` seconds."""
        start = time.monotonic()
        last, last_change = self.size(), time.monotonic()
        while time.monotonic() - start < longest:
            time.sleep(0.05)
            now = self.size()
            if now != last:
                last, last_change = now, time.monotonic()
            elif time.monotonic() - last_change >= quiet:
                return

    def spoken(self):
        with self.lock:
            data = bytes(self.data[self.offset:])
            self.offset = len(self.data)
        # A message of several lines is spoken as one; show its lines on one.
        return [re.sub(r"\s*\n\s*", " / ", m.group(1).strip())
                for m in SPOKEN.finditer(data.decode("utf-8", "replace"))]


def answers(seconds=2):
    """Whether the program still answers an accessibility request."""
    probe = ("import gi; gi.require_version('Atspi', '2.0');"
             "from gi.repository import Atspi; Atspi.set_timeout(%d, %d);"
             "d = Atspi.get_desktop(0);"
             "apps = [d.get_child_at_index(i) for i in range(d.get_child_count())];"
             "app = [a for a in apps if a and a.get_name() == 'teglomer'][0];"
             "print(app.get_child_at_index(0).get_name())") % (seconds * 1000, seconds * 1000)
    try:
        out = subprocess.run(["/usr/bin/python3", "-c", probe], capture_output=True, text=True,
                             timeout=seconds + 5)
    except subprocess.TimeoutExpired:
        return False
    return CAPTION in out.stdout


def main():
    if len(sys.argv) != 2:
        fail("usage: orca_session.py PROGRAM")
    program = os.path.abspath(sys.argv[1])
    work = tempfile.mkdtemp(prefix="orca-")
    config = os.path.join(work, "config")
    os.makedirs(os.path.join(config, "speech-dispatcher"))
    with open(os.path.join(config, "speech-dispatcher", "speechd.conf"), "w") as f:
        f.write('AddModule "dummy" "sd_dummy" ""\nDefaultModule dummy\n')
    # Orca as it comes, but saying where an item stands in its group ("1 of
    # 4"), which users turn on in its preferences.
    prefs = os.path.join(work, "prefs")
    os.makedirs(prefs)
    with open(os.path.join(prefs, "user-settings.conf"), "w") as f:
        json.dump({"general": {}, "pronunciations": {}, "keybindings": {},
                   "profiles": {"default": {"profile": ["Default", "default"],
                                            "enablePositionSpeaking": True}}}, f)
    env = dict(os.environ, HOME=work, XDG_CONFIG_HOME=config)
    log = Log()
    children = []

    def start(args, extra_env=None):
        p = subprocess.Popen(args, env=dict(env, **(extra_env or {})), cwd=work,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        children.append(p)
        return p

    try:
        start([LAUNCHER, "--launch-immediately"])
        time.sleep(1)
        orca = start(["orca", "--replace", "-u", prefs,
                      "--debug-file", log.path])
        wait_until(lambda: "SPEECH OUTPUT" in log.text(), 30, "Orca did not start speaking")
        log.settle()
        log.spoken()
        app = start([program], {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"})
        found = subprocess.run(
            ["timeout", "20", "xdotool", "search", "--sync", "--class", "teglomer"],
            capture_output=True, text=True, env=env)
        window = found.stdout.split()[0] if found.stdout.split() else fail("no window")

        def focus_window():
            subprocess.run(["xdotool", "windowfocus", "--sync", window], env=env,
                           check=True)

        focus_window()
        missing = []
        for heading, keys, must_hear in STEPS:
            print("== " + heading)
            heard = []
            if not keys:
                wait_until(lambda: "SPEECH OUTPUT: 'Резултат" in log.text(), 20,
                           "Orca did not present the window")
                log.settle()
                heard = log.spoken()
                for said in heard:
                    print("   " + said)
            for key in keys:
                if key == FOCUS:
                    focus_window()
                    continue
                done = log.count(KEY_DONE)
                subprocess.run(["xdotool", "key", key], env=env, check=True)
                wait_until(lambda: log.count(KEY_DONE) > done, 10, "Orca did not see " + key)
                log.settle()
                said = log.spoken()
                heard += said
                print("   [%s] %s" % (KEY_NAMES.get(key, key), " | ".join(said)))
            everything = " | ".join(heard)
            missing += ["%s: %s" % (heading, getattr(m, "pattern", m)) for m in must_hear
                        if not (m.search(everything) if hasattr(m, "search") else m in everything)]
            if app.poll() is not None:
                fail("the program ended")
            if orca.poll() is not None:
                fail("Orca ended")
            if "Ctrl+Right" in heading:
                ok = answers()
                print("   (the program %s)" % ("answers at once" if ok else "DOES NOT ANSWER"))
                if not ok:
                    fail("the program hangs")
        if missing:
            fail("not heard:\n  " + "\n  ".join(missing))
        print("Heard all that each step must say.")
    finally:
        for p in reversed(children):
            p.terminate()
        for p in reversed(children):
            try:
                p.wait(timeout=5)
            except subprocess.TimeoutExpired:
                p.kill()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
