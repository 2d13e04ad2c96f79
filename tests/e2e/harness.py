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
IDM_STOP = 2030
IDM_EXIT = 2031


def wine_path(path):
    """The Windows name of a Linux path inside the Wine prefix (drive Z:)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wait_for(predicate, timeout=20.0, what="condition"):
    """Waits until `predicate` answers something true; answers that. A
    window search is used as it answered: searching again can meet a window
    being destroyed (a dialog that just closed, a window manager's frame)
    and end early without a result."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        found = predicate()
        if found:
            return found
        time.sleep(0.1)
    raise AssertionError("timed out waiting for " + what)


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def tavctl(*args):
    """Runs the remote control; answers its exit code."""
    return subprocess.run(["wine", os.path.join(TOOLS_DIR, "tavctl.exe")] +
                          [str(a) for a in args], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode


def activate(window):
    """Gives the X window `window` the keyboard focus and waits until Wine
    has made it the foreground window, the one the next keys go to. Wine can
    lose the foreground window while the window manager keeps the focus on
    the window (a window mapped while another program's had the focus), and
    then no longer takes the manager's focus requests for it: a click makes
    Wine activate it, as a click does on Windows. The click goes to the
    window's bottom right corner, a dialog's margin or a size grip, away
    from controls and menus."""
    for command in ("windowactivate", "windowfocus"):
        subprocess.run(["xdotool", command, "--sync", window],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    title = window_name(window)
    if not is_foreground(title, within=2.0):
        geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window],
                                  capture_output=True, text=True).stdout.split()
        size = dict(line.split("=", 1) for line in geometry if "=" in line)
        subprocess.run(["xdotool", "mousemove", "--window", window,
                        str(int(size["WIDTH"]) - 3), str(int(size["HEIGHT"]) - 3), "click", "1"],
                       check=True)
    wait_until_foreground(title)


def window_name(window):
    return subprocess.run(["xdotool", "getwindowname", window],
                          capture_output=True, text=True).stdout.rstrip("\n")


def target_windows():
    """The X window ids of the target window."""
    return subprocess.run(["xdotool", "search", "--name", "Tavrelin test target"],
                          capture_output=True, text=True).stdout.split()


def is_foreground(title, within):
    """Whether the window titled `title` is or becomes the foreground window
    within `within` seconds."""
    try:
        wait_for(lambda: tavctl("foreground", title) == 0, timeout=within)
        return True
    except AssertionError:
        return False


def settle():
    """Waits (a while at most) until the window manager has caught up with
    Wine: the window that has the X focus is the foreground window. A window
    the program has just shown gets the focus from the window manager some
    time after Wine made it the foreground window, and would take it from a
    window activated in between."""
    def caught_up():
        focused = subprocess.run(["xdotool", "getwindowfocus", "-f"], capture_output=True,
                                 text=True).stdout.strip()
        name = window_name(focused) if focused else ""
        return bool(name) and tavctl("foreground", name) == 0
    try:
        wait_for(caught_up, timeout=3.0, what="the focus to rest on the foreground window")
    except AssertionError:
        pass  # The foreground window has no X window of its own (the desktop).


def wait_until_foreground(title):
    check(is_foreground(title, within=10.0), "%r became the foreground window" % title)


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
        self.held = set()
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

    def write_script(self, name, lines):
        """A script in the Script folder as the script editor writes it: code
        page 936, CR LF. Answers its Windows path."""
        path = self.path("Script", name)
        with open(path, "wb") as f:
            f.write("".join(line + "\r\n" for line in lines).encode("gbk"))
        return wine_path(path)

    def start_target(self):
        self.target = subprocess.Popen(
            ["wine", os.path.join(TOOLS_DIR, "target_window.exe"), wine_path(self.target_log)],
            cwd=self.dir, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for(lambda: "ready" in self.target_events(), what="the target window")
        # The window manager puts the target in the middle of the display,
        # where the program's windows come up too, some of them staying on
        # top: in the bottom left corner, the corner focus_target clicks
        # stays uncovered.
        window = wait_for(target_windows, timeout=5.0, what="the target window on the display")[-1]
        display_height = int(subprocess.run(["xdotool", "getdisplaygeometry"], capture_output=True,
                                            text=True, check=True).stdout.split()[1])
        geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window],
                                  capture_output=True, text=True).stdout.split()
        height = int(dict(line.split("=", 1) for line in geometry if "=" in line)["HEIGHT"])
        subprocess.run(["xdotool", "windowmove", "--sync", window, "0",
                        str(display_height - height - 1)],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.focus_target()

    def target_events(self):
        try:
            with open(self.target_log, encoding="utf-8") as f:
                return [line.rstrip("\n") for line in f]
        except FileNotFoundError:
            return []

    def wait_for_events(self, predicate, what, timeout=20.0):
        """Waits until `predicate` holds for the target's log; answers the log."""
        wait_for(lambda: predicate(self.target_events()), timeout=timeout, what=what)
        return self.target_events()

    def focus_target(self, click=False):
        """Gives the target the keyboard focus and waits until Wine has made
        it the foreground window. Once another Wine window has been active (a
        message box, a program the hotkey started), Wine may keep that one as
        the foreground window although the X focus is back on the target: a
        click into the target's top left corner then makes Wine activate it
        (the corner, so as not to hit a box centred above it). `click` clicks
        at once."""
        if click:
            settle()
        ids = wait_for(target_windows, timeout=5.0, what="the target window on the display")
        for command in ("windowactivate", "windowfocus"):
            subprocess.run(["xdotool", command, "--sync", ids[-1]],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        title = window_name(ids[-1])
        if click or not is_foreground(title, within=1.0):
            subprocess.run(["xdotool", "mousemove", "--window", ids[-1], "10", "10", "click", "1"],
                           check=True)
        wait_until_foreground(title)

    def start_program(self):
        self.program = subprocess.Popen(["wine", self.path("tavrelin.exe")], cwd=self.dir,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for(lambda: self.tavctl("started") == 0,
                 what="the program's start (its scheme open or a dialog up)")

    def process_state(self):
        if not self.program:
            return "not started"
        code = self.program.poll()
        return "runs" if code is None else "ended with %s" % code

    def visible_window_names(self):
        """The titles of the visible windows that have one: what a failure
        screenshot shows, in words."""
        ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "."],
                             capture_output=True, text=True).stdout.split()
        names = []
        for window in ids:
            name = window_name(window)
            if name:
                names.append(name)
        return names

    def program_running(self):
        return self.tavctl("running") == 0

    def tavctl(self, *args):
        return tavctl(*args)

    def hotkey_free(self, modifiers, virtual_key):
        """Whether no program holds the combination as its hotkey."""
        return self.tavctl("hotkeyfree", modifiers, virtual_key) == 0

    def press(self, keys):
        self.focus_target()
        subprocess.run(["xdotool", "key", "--delay", "50", keys], check=True)

    def hold(self, key):
        """Presses `key` (an xdotool key name) and leaves it down; the end of
        the session lets go of it, should the test not get that far."""
        self.focus_target()
        self.held.add(key)
        subprocess.run(["xdotool", "keydown", key], check=True)

    def release(self, key):
        self.held.discard(key)
        subprocess.run(["xdotool", "keyup", key], check=True)

    def key_held(self, virtual_key):
        """Whether the system (not just one window) holds the key down."""
        return self.tavctl("keydown", virtual_key) == 0

    def find_windows(self, title_pattern):
        """X window ids of the visible windows whose title matches the regular
        expression `title_pattern`."""
        return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title_pattern],
                              capture_output=True, text=True).stdout.split()

    def box_text(self, title):
        """The message text of the dialog box titled `title`, or None."""
        out = self.path("box.txt")
        if self.tavctl("boxtext", title, wine_path(out)) != 0:
            return None
        with open(out, encoding="utf-8") as f:
            return f.read().rstrip("\n")

    def dismiss_box(self, window):
        """Answers the dialog box with X window id `window` with Enter (its
        default button)."""
        activate(window)
        subprocess.run(["xdotool", "key", "Return"], check=True)

    def control_text(self, window, control=0):
        """The text of control `control` (0: the window itself) of the window
        `window`, a class name or a title; None while there is no such one."""
        out = self.path("control.txt")
        if self.tavctl("text", window, control, wine_path(out)) != 0:
            return None
        with open(out, encoding="utf-8", newline="") as f:
            return f.read()

    def control_rect(self, window, control, item=None):
        """(x, y, width, height) on the display of a control of `window`, or
        of its toolbar button (by command id) or tab (by index) `item`."""
        out = self.path("rect.txt")
        args = ("rect", window, control) if item is None else ("itemrect", window, control, item)
        answers = []

        def found():
            answers.append(self.tavctl(*args, wine_path(out)))
            return answers[-1] == 0
        try:
            wait_for(found, timeout=10.0, what="%s on the display" % (args,))
        except AssertionError as failure:
            raise AssertionError("%s (tavctl answered %s)" % (failure, sorted(set(answers))))
        with open(out) as f:
            return tuple(int(n) for n in f.read().split())

    def click_control(self, window, control, item=None, x_ratio=0.5):
        """Clicks a control of `window` (or its toolbar button or tab `item`)
        with the mouse, at `x_ratio` of its width, half way down."""
        x, y, width, height = self.control_rect(window, control, item)
        subprocess.run(["xdotool", "mousemove", str(x + int(width * x_ratio)),
                        str(y + height // 2), "click", "1"], check=True)

    def screenshot(self, name):
        subprocess.run(["import", "-window", "root", self.path(name)],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def close(self):
        for key in list(self.held):
            self.release(key)
        for process in (self.program, self.target):
            if process and process.poll() is None:
                process.kill()
        # Killing wine's launcher leaves the program running in the lane's
        # wineserver: every copy a test started (a second folder's too) is
        # ended through its own 退出, so that the next test on the lane finds
        # no main window but its own.
        try:
            wait_for(self.no_copy_left, timeout=10.0, what="every copy of the program to end")
        except AssertionError as error:
            print(error)

    def no_copy_left(self):
        if tavctl("running") != 0:
            return True
        tavctl("command", IDM_EXIT)
        return False


def key_events(events, ignore=()):
    """The "down"/"up"/"char"/"paste" lines of a target log, without those of
    the virtual keys in `ignore` (the hotkey's own key, say)."""
    skipped = {"down %d" % vk for vk in ignore} | {"up %d" % vk for vk in ignore}
    return [e for e in events if e.split(" ", 1)[0] in ("down", "up", "char", "paste")
            and e not in skipped]


def held_modifiers(events):
    """Shift, Ctrl and Alt (16, 17, 18) whose last event in a target log is a
    key-down: what the target believes is still held."""
    last = {}
    for event in events:
        kind, _, vk = event.partition(" ")
        if kind in ("down", "up") and vk in ("16", "17", "18"):
            last[int(vk)] = kind
    return sorted(vk for vk, kind in last.items() if kind == "down")


def count_lines(path):
    try:
        with open(path) as f:
            return sum(1 for _ in f)
    except FileNotFoundError:
        return 0


def run(test, session_class=None):
    """Runs one test function with a fresh session, reporting like a test runner."""
    session = (session_class or Session)(test.__name__)
    try:
        test(session)
    except AssertionError as failure:
        print("FAILED %s: %s" % (test.__name__, failure))
        print("target log:", session.target_events())
        print("the program's process:", session.process_state())
        print("windows on the display:", session.visible_window_names())
        session.screenshot("failure.png")
        print("screen at the failure:", session.path("failure.png"))
        sys.exit(1)
    finally:
        session.close()
    print("PASSED", test.__name__)


def run_selected(*tests, session_class=None):
    """Runs the tests named on the command line (all of them without names),
    each with a fresh session."""
    by_name = {test.__name__: test for test in tests}
    names = sys.argv[1:] or list(by_name)
    unknown = [name for name in names if name not in by_name]
    if unknown:
        sys.exit("no such test: " + ", ".join(unknown))
    for name in names:
        run(by_name[name], session_class)
