"""End-to-end harness: runs tavrelin.exe under Wine on the test display in a
temporary program directory, a target window that logs what it receives,
and real key presses through xdotool."""

import os
import shutil
import subprocess
import sys
import time

BUILD_DIR = os.environ["TAV_BUILD_DIR"]
EXE_DIR = os.path.join(BUILD_DIR, "app")
TOOLS_DIR = os.path.join(BUILD_DIR, "tests", "e2e")

# Command ids of the main window's menu items.
IDM_STOP = 1001
IDM_EXIT = 1002


def wine_path(path):
    """The Windows name of a Linux path inside the Wine prefix (drive Z:)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wait_for(predicate, timeout=20.0, what="condition"):
    deadline = time.time() + timeout
    while time.time() < deadline:
        if predicate():
            return
        time.sleep(0.1)
    raise AssertionError("timed out waiting for " + what)


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def scheme_xml(entries, password=""):
    """A scheme file's text: entries are (key text, action, hint, category)."""
    lines = ['<?xml version="1.0" encoding="GB2312"?>', "<velmora>", "\t<set>",
             "\t\t<password>%s</password>" % password, "\t</set>", "\t<hotkeylist>"]
    for key, action, hint, sort in entries:
        lines.append("\t\t<hotkeyset><hotkey>%s</hotkey><action>%s</action><hint>%s</hint>"
                     "<sort>%s</sort></hotkeyset>" % (key, action, hint, sort))
    lines += ["\t</hotkeylist>", "</velmora>", ""]
    return "\r\n".join(lines).encode("gb2312")


class Session:
    """One program directory, one running program and one target window."""

    def __init__(self, name):
        self.dir = os.path.join(BUILD_DIR, "e2e-work", name)
        shutil.rmtree(self.dir, ignore_errors=True)
        os.makedirs(os.path.join(self.dir, "Data"))
        os.makedirs(os.path.join(self.dir, "Script"))
        shutil.copy(os.path.join(EXE_DIR, "tavrelin.exe"), self.dir)
        self.program = None
        self.target = None
        self.target_log = os.path.join(self.dir, "target.log")

    def path(self, *parts):
        return os.path.join(self.dir, *parts)

    def write_scheme(self, entries, password="", name="hotkey.xml"):
        with open(self.path(name), "wb") as f:
            f.write(scheme_xml(entries, password))

    def write_marker_batch(self, name, marker):
        """A batch file that appends a line to `marker` each time it runs."""
        with open(self.path(name), "wb") as f:
            f.write(("@echo fired>>\"%s\"\r\n" % wine_path(marker)).encode("ascii"))
        return wine_path(self.path(name))

    def start_target(self):
        self.target = subprocess.Popen(
            ["wine", os.path.join(TOOLS_DIR, "target_window.exe"), wine_path(self.target_log)],
            cwd=self.dir, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for(lambda: "ready" in self.target_events(), what="the target window")
        self.focus_target()

    def target_events(self):
        try:
            with open(self.target_log, encoding="utf-8") as f:
                return [line.rstrip("\n") for line in f]
        except FileNotFoundError:
            return []

    def focus_target(self):
        ids = subprocess.run(["xdotool", "search", "--name", "Tavrelin test target"],
                             capture_output=True, text=True).stdout.split()
        check(ids, "the target window is on the display")
        subprocess.run(["xdotool", "windowactivate", "--sync", ids[-1]],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["xdotool", "windowfocus", "--sync", ids[-1]],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(0.3)

    def start_program(self):
        self.program = subprocess.Popen(["wine", self.path("tavrelin.exe")], cwd=self.dir,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for(self.program_running, what="the program's main window")
        time.sleep(1.0)  # the default scheme is opened right after the window exists

    def program_running(self):
        return self.tavctl("running") == 0

    def tavctl(self, *args):
        return subprocess.run(["wine", os.path.join(TOOLS_DIR, "tavctl.exe")] +
                              [str(a) for a in args], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode

    def press(self, keys):
        self.focus_target()
        subprocess.run(["xdotool", "key", "--delay", "50", keys], check=True)

    def close(self):
        for process in (self.program, self.target):
            if process and process.poll() is None:
                process.kill()
        if self.target:
            subprocess.run(["wine", os.path.join(TOOLS_DIR, "tavctl.exe"), "command", str(IDM_EXIT)],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def count_lines(path):
    try:
        with open(path) as f:
            return sum(1 for _ in f)
    except FileNotFoundError:
        return 0


def run(test):
    """Runs one test function with a fresh session, reporting like a test runner."""
    session = Session(test.__name__)
    try:
        test(session)
    except AssertionError as failure:
        print("FAILED %s: %s" % (test.__name__, failure))
        print("target log:", session.target_events())
        sys.exit(1)
    finally:
        session.close()
    print("PASSED", test.__name__)
