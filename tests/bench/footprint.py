"""Footprint of Tavrelin beside the floor program, both under the same Wine
on the same machine: idle memory, idle CPU wake-ups, start time, hotkey to
action latency. Run through scripts/bench.sh, which builds everything first.

Tavrelin runs a protected scheme of 100 entries (password typed by the
probe); entry 99 (Ctrl+Alt+F9) presses F13, the effect the floor program
produces for the same hotkey, and entry 100 (Ctrl+Alt+F10) is the last one
registered, so its registration marks the end of start-up.

The start figure is the program's own time: process start to the password
prompt shown, plus the password accepted to the last hotkey registered; the
probe's typing is left out. The virtual display has no window manager, and
Wine waits up to 2 s for one to acknowledge a window it manages before it
hides it (the prompt, on OK). No desktop has that wait, so the run turns
Wine's window management off for its duration and restores it after.

A second floor, the same program with the common controls 6 loaded (through
Tavrelin's manifest) and a notification-area icon, is measured beside them:
it shows how much of the distance to the floor is the price of those two,
which any tray program with a window of controls pays, and how much is
Tavrelin's own. Ratios are to the bare floor, as the targets are."""

import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

# The end-to-end tests' independent MD5 and AES make the protected scheme.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from test_passwords import digest, encrypt  # noqa: E402

BUILD_DIR = os.environ["TAV_BUILD_DIR"]
BENCH_DIR = os.path.join(BUILD_DIR, "bench")
PROBE = os.path.join(BUILD_DIR, "tests", "bench", "win32", "tavrelin_probe.exe")
TAVCTL = os.path.join(BUILD_DIR, "tests", "e2e", "tavctl.exe")
PASSWORD = "bench"
VK_F9, VK_F10 = 0x78, 0x79
IDM_TRAY_SHOW = 2043  # the tray menu's "显示主窗体"
IDM_EXIT = 2031  # the main window's "退出"
# The bare floor, and the floor with the common controls and a tray icon.
FLOORS = ("tavrelin_floor.exe", "tavrelin_floor_controls.exe")
IDLE_SECONDS = int(os.environ.get("TAV_IDLE_SECONDS", "60"))
PRESSES = int(os.environ.get("TAV_PRESSES", "200"))
STARTS = int(os.environ.get("TAV_STARTS", "12"))


def wine_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def hundred_entries():
    entries = []
    for flags in (7, 5, 6):  # Ctrl+Alt+Shift, Alt+Shift, Ctrl+Shift
        for vk in range(0x41, 0x5B):
            entries.append(("%d+%d" % (flags, vk), "notepad.exe", "条目 %d" % vk, "测试"))
    for flags in (7, 5):
        for vk in range(0x30, 0x3A):
            entries.append(("%d+%d" % (flags, vk), "calc.exe", "", "测试"))
    entries.append(("3+%d" % VK_F9, "Key_Press:F13", "延迟测量", "测试"))
    entries.append(("3+%d" % VK_F10, "notepad.exe", "最后一项", "测试"))
    assert len(entries) == 100
    return entries


def protected_scheme(entries, password):
    lines = ['<?xml version="1.0" encoding="GB2312"?>', "<velmora>", "\t<set>",
             "\t\t<password>%s</password>" % digest(password), "\t</set>", "\t<hotkeylist>"]
    for entry in entries:
        key, action, hint, sort = (encrypt(password, text) for text in entry)
        lines.append("\t\t<hotkeyset><hotkey>%s</hotkey><action>%s</action><hint>%s</hint>"
                     "<sort>%s</sort></hotkeyset>" % (key, action, hint, sort))
    lines += ["\t</hotkeylist>", "</velmora>", ""]
    return "\r\n".join(lines).encode("gb2312")


def wine(*args, check=True):
    """Runs a Windows program and answers its exit code and output. The output
    goes through a file: a program it starts inherits a pipe and would keep
    it open long after the probe has ended."""
    with tempfile.TemporaryFile() as out:
        code = subprocess.run(["wine"] + [str(a) for a in args], stdout=out,
                              stderr=subprocess.DEVNULL).returncode
        out.seek(0)
        text = out.read().decode("utf-8", "replace")
    if check and code != 0:
        raise RuntimeError("wine %s failed with exit code %d" % (args, code))
    return text


def linux_pid(exe_name):
    """The Linux process that runs the Windows program `exe_name`."""
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                args = f.read().split(b"\0")
        except OSError:
            continue
        if args and re.search(rb"[\\/]%s$" % re.escape(exe_name.encode()), args[0], re.I):
            return int(entry)
    return None


def cpu_ticks(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime + stime


def resident_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        return int(re.search(r"VmRSS:\s+(\d+)", f.read()).group(1))


def tavctl_says(*args):
    """Whether the test tool answers yes (exit code 0)."""
    return subprocess.run(["wine", TAVCTL] + [str(a) for a in args], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0


def wait_until(condition, what, seconds=20):
    deadline = time.time() + seconds
    while not condition():
        if time.time() > deadline:
            raise RuntimeError("timed out waiting for " + what)
        time.sleep(0.1)


def wait_for_end(exe_name, seconds):
    deadline = time.time() + seconds
    while linux_pid(exe_name) and time.time() < deadline:
        time.sleep(0.1)
    return linux_pid(exe_name) is None


def stop(exe_name):
    """Ends the program as its user would, Tavrelin through its "退出" and a
    floor by closing its window, and waits until its hotkeys are free. A
    program ended that way takes its notification-area icon away; one killed
    leaves it in Wine's tray, and the tray programs started after it took up
    to 1.5 s instead of 0.1 s and at times never got their hotkey. Only a
    program that does not end is killed; Wine gives a killed program's
    registrations back a moment after the process has gone."""
    if linux_pid(exe_name) is not None:
        if exe_name == "tavrelin.exe":
            wine(TAVCTL, "command", IDM_EXIT, check=False)
        else:
            wine("taskkill", "/im", exe_name, check=False)
    if not wait_for_end(exe_name, 10):
        wine("taskkill", "/f", "/im", exe_name, check=False)
        wait_for_end(exe_name, 10)
    deadline = time.time() + 10
    for vk in (VK_F9, VK_F10):
        while (wine(PROBE, "taken", vk).startswith("taken") and linux_pid(exe_name) is None
               and time.time() < deadline):
            time.sleep(0.1)


# The probe's exit codes for a start that is made again rather than measured.
PROBE_RETRIED = {5: "the typed password missed the prompt",
                 6: "the program did not take its hotkey (its registration can meet "
                    "the probe's own check)"}


def start_once(exe, vk, password):
    """The program's own start time in ms; the program is left running. A
    start the probe could not measure is made again, up to three times."""
    args = ["start", wine_path(exe), vk] + ([password] if password else [])
    for _ in range(3):
        stop(os.path.basename(exe))
        with tempfile.TemporaryFile() as out:
            code = subprocess.run(["wine", PROBE] + [str(a) for a in args], stdout=out,
                                  stderr=subprocess.DEVNULL).returncode
            out.seek(0)
            text = out.read().decode("utf-8", "replace")
        if code == 0:
            return float(text.split()[0])
        if code not in PROBE_RETRIED:
            raise RuntimeError("the probe's start of %s failed with exit code %d" % (exe, code))
        print("(%s: %s, started again)" % (os.path.basename(exe), PROBE_RETRIED[code]),
              file=sys.stderr)
    raise RuntimeError("%s: %s, three times" % (exe, PROBE_RETRIED[code]))


def median_starts(programs):
    """The median start time of each program, its starts one after another."""
    times = {}
    for name, exe, vk, password in programs:
        times[name] = [start_once(exe, vk, password) for _ in range(STARTS)]
        stop(os.path.basename(exe))
    return {name: statistics.median(values) for name, values in times.items()}


def measure(name, exe, vk, password):
    exe_name = os.path.basename(exe)
    start_once(exe, vk, password)
    latency = [float(x) for x in wine(PROBE, "latency", VK_F9, PRESSES).split()]
    time.sleep(2)
    never_shown_kib = int(wine(PROBE, "memory", exe_name).split()[0])
    if name == "tavrelin":
        wine(TAVCTL, "command", IDM_TRAY_SHOW)
        wait_until(lambda: tavctl_says("visible"), "the main window shown")
        time.sleep(1)  # painted, icons assigned
        wine(TAVCTL, "hide")
        wait_until(lambda: not tavctl_says("visible"), "the main window hidden")
    time.sleep(2)
    private_kib, working_kib = (int(x) for x in wine(PROBE, "memory", exe_name).split())
    pid = linux_pid(exe_name)
    rss = resident_kib(pid)
    before = cpu_ticks(pid)
    time.sleep(IDLE_SECONDS)
    ticks = cpu_ticks(pid) - before
    stop(exe_name)
    return {"hotkey to action p50 ms": latency[0], "hotkey to action p99 ms": latency[1],
            "private KiB, never shown": never_shown_kib, "private KiB": private_kib,
            "working set KiB": working_kib,
            "resident KiB (Linux)": rss, "CPU ticks in %d s idle" % IDLE_SECONDS: ticks}


X11_KEY = r"HKCU\Software\Wine\X11 Driver"


def managed_setting():
    """Wine's "Managed" value of the X11 driver, or None when it is not set."""
    found = re.search(r"Managed\s+REG_SZ\s+(\S+)", wine("reg", "query", X11_KEY, "/v", "Managed",
                                                        check=False))
    return found.group(1) if found else None


def set_managed(value):
    if value is None:
        wine("reg", "delete", X11_KEY, "/v", "Managed", "/f", check=False)
    else:
        wine("reg", "add", X11_KEY, "/v", "Managed", "/d", value, "/f")


def main():
    saved = managed_setting()
    set_managed("N")
    try:
        run()
    finally:
        set_managed(saved)


def run():
    shutil.rmtree(BENCH_DIR, ignore_errors=True)
    tav_dir, floor_dir = os.path.join(BENCH_DIR, "tavrelin"), os.path.join(BENCH_DIR, "floor")
    for folder in (tav_dir, floor_dir):
        os.makedirs(os.path.join(folder, "Data"))
    shutil.copy(os.path.join(BUILD_DIR, "app", "tavrelin.exe"), tav_dir)
    for floor_exe in FLOORS:
        shutil.copy(os.path.join(BUILD_DIR, "tests", "bench", "win32", floor_exe), floor_dir)
    with open(os.path.join(tav_dir, "hotkey.xml"), "wb") as f:
        f.write(protected_scheme(hundred_entries(), PASSWORD))

    for exe_name in ("tavrelin.exe",) + FLOORS:  # left by an earlier run
        stop(exe_name)
    programs = [("floor", os.path.join(floor_dir, FLOORS[0]), VK_F9, None),
                ("controls", os.path.join(floor_dir, FLOORS[1]), VK_F9, None),
                ("tavrelin", os.path.join(tav_dir, "tavrelin.exe"), VK_F10, PASSWORD)]
    starts = median_starts(programs)
    start_key = "start ms (median of %d)" % STARTS
    results = {}
    for program in programs:
        results[program[0]] = {start_key: starts[program[0]]}
        results[program[0]].update(measure(*program))
    floor, controls, tav = results["floor"], results["controls"], results["tavrelin"]
    print("%-28s %12s %12s %12s %8s" % ("figure", "floor", "+controls", "Tavrelin", "ratio"))
    for key in floor:
        ratio = tav[key] / floor[key] if floor[key] else float("nan")
        print("%-28s %12.1f %12.1f %12.1f %8.2f" % (key, floor[key], controls[key], tav[key],
                                                     ratio))
    print("start above the floor: %.1f ms, above the floor with controls and tray icon: %.1f ms"
          % (tav[start_key] - floor[start_key], tav[start_key] - controls[start_key]))

if __name__ == "__main__":
    sys.exit(main())
