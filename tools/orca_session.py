#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Runs the Orca screen reader against the program and prints what it says.

    orca_session.py PROGRAM     (on an X display, inside its own D-Bus session)
    orca_session.py --web SITE_DIR DESIGN_JSON
                                the page instead, in Chromium, served by
                                web/serve.js from 127.0.0.1

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
# What the core says of 170 cm, after the report.
RANGE_170 = "Нормално тегло при 170 см: от 54 до 72 кг"
# ...and of a boy of 12, 150 cm and 38 kg, by an adult method.
CHILD = ["Желаното тегло по този метод е за възрастни, не за деца.",
         "нормално тегло за възрастта (z = −0,34; 37-и перцентил)",
         "Нормално тегло при 150 см: от 33 до 44 кг",
         "Класове на СЗО (2007) за момче на 12 години"]


def typed(text):
    return list(text)


def position(index, total):
    """ "1 of 4", in whatever language Orca speaks."""
    return re.compile(r"\b%d \w+ %d\b" % (index, total))


# What a user does, step by step: a heading, the keys (xdotool names), and
# what must be heard on the way. The focus starts in the output box; the
# order is output box, height, weight, the age's years and months, the two
# of the sex, Calculate, Clear, the four methods (the chest-girth box, once
# shown, before the last).
STEPS = [
    ("The window opens", [], ["Резултат"]),
    ("Tab through the window", ["Tab"] * 13,
     ["Височина [см]:", "Тегло [кг]:", "Възраст, години", "Възраст, месеци", "Пол", "момче",
      position(1, 2), "момиче", position(2, 2), "Изчисли", "Изтрий", "Метод",
      "индекс на телесната маса", position(1, 4), "индекс на Брок", "индекс на Брейтман",
      "индекс на Борнгард", position(4, 4)]),
    ("Choose Broca: Tab to it, Space", ["Tab"] * 10 + ["space"], []),
    ("Type 170 cm and 72 kg", ["Tab"] * 4 + typed("170") + ["Tab"] + typed("72"), []),
    ("Calculate: Enter in the weight box", ["Return"],
     ["Изчисляване: индекс на Брок / Желано тегло: 65 / Наднормено тегло: 7", RANGE_170]),
    ("Ctrl+Right in the filled height box", ["shift+Tab", "Home", "ctrl+Right", "ctrl+Left"],
     ["170"]),
    ("A boy of 12, 150 cm and 38 kg: the age, «момче», Enter on «Изчисли»",
     ["ctrl+a"] + typed("150") + ["Tab", "ctrl+a"] + typed("38") + ["Tab"] + typed("12") +
     ["Tab", "Tab", "space", "Tab", "Tab", "Return"],
     ["Възраст, години", "Пол", "момче"] + CHILD),
    ("Clear: Tab to «Изтрий», Enter", ["Tab", "Return"], ["Направете нов избор"]),
    ("Overflow: Breitman, 170 cm and 9e9 kg, Enter", ["Tab"] * 3 + ["space"] + ["Tab"] * 3 +
     typed("170") + ["Tab"] + typed("9e9") + ["Return"],
     ["Въведеното число е извън допустимия обхват (от -32768 до 32767)."]),
    ("Close the warning: Enter on its button", ["Return"], ["Изчисляване: индекс на Брейтман"]),
    # With no window manager here, nobody hands the focus back to the window
    # when the dialog closes; a desktop does.
    ("Choose Borngard: Tab to it, Space; Shift+Tab to the new box",
     [FOCUS] + ["Tab"] * 10 + ["space", "shift+Tab"],
     ["Появи се поле „Гръдна обиколка [см]“", "Гръдна обиколка [см]:"]),
]

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def web_steps(design):
    """The same user at the page. What must be heard comes from the design
    table, so a changed word is followed. Each radio button is a Tab stop,
    like the window's; the page keeps the window's focus order."""
    caption = {c["name"]: c["caption"].strip() for c in design["controls"]}
    names, texts = design["names"], design["texts"]
    spoken = {c["box"]: c["spoken"] for c in design["boxCaptions"] if c.get("spoken")}
    return [
        ("The page opens", [], [names["output"]]),
        ("Tab through the page", ["Tab"] * 12,
         [caption["Label2(0)"], caption["Label2(1)"], spoken["Text3(0)"], spoken["Text3(1)"],
          names["sexGroup"], caption["Option2(0)"], position(1, 2), caption["Option2(1)"],
          caption["Command1(0)"], caption["Command1(1)"], names["methodGroup"],
          caption["Option1(0)"], position(1, 4), caption["Option1(1)"], caption["Option1(2)"],
          caption["Option1(3)"], position(4, 4)]),
        ("Choose Breitman: Shift+Tab to it, Space", ["shift+Tab", "space"],
         [caption["Option1(2)"]]),
        ("Type 170 cm and 72 kg", ["shift+Tab"] * 10 + typed("170") + ["Tab"] + typed("72"),
         [caption["Label2(0)"], caption["Label2(1)"]]),
        ("Calculate: Enter in the weight box", ["Return"],
         [texts["header"] + caption["Option1(2)"], RANGE_170]),
        ("Overflow: 9e9 kg, Enter", ["ctrl+a"] + typed("9e9") + ["Return"],
         [texts["overflow"], names["warningButton"]]),
        ("Close the warning: Enter on its button", ["Return"], [caption["Label2(1)"]]),
        ("A boy of 12, 150 cm and 38 kg: the age, the sex, Enter on Calculate",
         ["ctrl+a"] + typed("38") + ["shift+Tab", "ctrl+a"] + typed("150") + ["Tab", "Tab"] +
         typed("12") + ["Tab", "Tab", "space", "Tab", "Tab", "Return"],
         # The page writes numbers as the browser's language does: Chromium
         # here may give its script another language than its menus.
         [spoken["Text3(0)"], names["sexGroup"], caption["Option2(0)"], CHILD[0],
          re.compile(re.escape(CHILD[1]).replace(",", "[,.]"))] + CHILD[2:]),
        ("Choose Borngard: Tab to it, Space; Shift+Tab to the new box",
         ["Tab"] * 5 + ["space", "shift+Tab"],
         [caption["Option1(3)"], names["chestGirthShown"], caption["Label2(2)"]]),
    ]


KEY_NAMES = {"space": "Space", "Return": "Enter", "shift+Tab": "Shift+Tab",
             "ctrl+Right": "Ctrl+Right", "ctrl+Left": "Ctrl+Left", "ctrl+a": "Ctrl+A"}
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


def chromium_flags():
    """The flags that keep Chromium from reaching out on its own, as every tool starts it."""
    out = subprocess.run(
        ["node", "-e", "console.log(JSON.stringify(require(process.argv[1]).CHROMIUM_FLAGS))",
         os.path.join(ROOT, "tools", "browsers.js")],
        capture_output=True, text=True)
    if out.returncode:
        fail("no Chromium flags from tools/browsers.js: " + out.stderr.strip())
    return json.loads(out.stdout)


def main():
    web = sys.argv[1:2] == ["--web"]
    if len(sys.argv) != (4 if web else 2):
        fail("usage: orca_session.py PROGRAM | --web SITE_DIR DESIGN_JSON")
    if web:
        site = os.path.abspath(sys.argv[2])
        with open(sys.argv[3], encoding="utf-8") as f:
            design = json.load(f)
        steps = web_steps(design)
        opened = design["names"]["output"]
    else:
        program = os.path.abspath(sys.argv[1])
        steps = STEPS
        opened = "SPEECH OUTPUT: 'Резултат"
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

    def start(args, extra_env=None, stdout=subprocess.DEVNULL):
        p = subprocess.Popen(args, env=dict(env, **(extra_env or {})), cwd=work,
                             stdout=stdout, stderr=subprocess.DEVNULL, text=True)
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
        if web:
            server = start(["node", os.path.join(ROOT, "web", "serve.js"), site],
                           stdout=subprocess.PIPE)
            url = re.search(r"http://\S+", server.stdout.readline() or "")
            url = url.group(0) if url else fail("web/serve.js did not start")
            # A window of its own, the page alone in it; the renderer's
            # accessibility on from the start, as an assistive technology
            # running at start-up would have it. No bars above the page (the
            # offer to translate, the warning about the flags): Tab would
            # reach them, and Orca reads them out.
            profile = os.path.join(work, "chromium")
            os.makedirs(os.path.join(profile, "Default"))
            with open(os.path.join(profile, "Default", "Preferences"), "w") as f:
                json.dump({"translate": {"enabled": False}}, f)
            app = start(["/usr/bin/chromium", *chromium_flags(), "--force-renderer-accessibility",
                         "--user-data-dir=" + profile, "--test-type", "--password-store=basic",
                         "--no-default-browser-check", "--lang=bg",
                         "--window-position=0,0", "--window-size=1000,740", "--app=" + url])
            search = ["--onlyvisible", "--name", re.escape(design["caption"])]
        else:
            app = start([program], {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"})
            search = ["--class", "teglomer"]
        found = subprocess.run(
            ["timeout", "30", "xdotool", "search", "--sync", *search],
            capture_output=True, text=True, env=env)
        window = found.stdout.split()[0] if found.stdout.split() else fail("no window")

        def focus_window():
            subprocess.run(["xdotool", "windowfocus", "--sync", window], env=env,
                           check=True)

        focus_window()
        missing = []
        for heading, keys, must_hear in steps:
            print("== " + heading)
            heard = []
            if not keys:
                wait_until(lambda: opened in log.text(), 30,
                           "Orca did not present the " + ("page" if web else "window"))
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
                fail(("Chromium" if web else "the program") + " ended")
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
