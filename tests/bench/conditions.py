"""What entries limited to some programs cost, measured under Wine with the
footprint benchmark's probe and helpers (footprint.py): run by
scripts/bench.sh conditions, which builds everything first.

Two schemes of 100 entries, the footprint benchmark's: one as it is, one
with every entry conditioned. In the conditioned one Ctrl+Alt+F11 fires only
in notepad.exe, and the other 99, Ctrl+Alt+F9 (which presses F13) among
them, everywhere except in notepad.exe. (An entry limited to the probe's own
program cannot be measured under Wine: Wine 8 sends no foreground event when
a program brings its window to the front with SetForegroundWindow, which
Windows does, so the program would never learn that the probe is in front.)

- Keystroke to action, p50 and p99: Ctrl+Alt+F9 with a window of the probe
  in front, the plain scheme beside the conditioned one.
- Pass-through: with the conditioned scheme and the probe's window in front,
  Ctrl+Alt+F11 to its F11 key down in that window, beside Ctrl+Alt+F12,
  which no entry holds (plain key delivery), and beside the same plain
  delivery with no program of ours running (the floor).
- CPU ticks of Tavrelin idle for TAV_IDLE_SECONDS with each scheme, the
  conditioned one with "全屏程序运行时暂停热键" on."""

import os
import shutil
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import footprint  # noqa: E402
from footprint import PROBE, cpu_ticks, linux_pid, start_once, stop, wine  # noqa: E402

VK_F9, VK_F10, VK_F11, VK_F12 = 0x78, 0x79, 0x7A, 0x7B
PRESSES = footprint.PRESSES
IDLE_SECONDS = footprint.IDLE_SECONDS


def entries(conditioned):
    """The footprint benchmark's 100 entries, the last digit entry's place
    given to Ctrl+Alt+F11; with `conditioned`, each with its condition."""
    rows = [row + ("",) for row in footprint.hundred_entries()]
    rows[97] = ("3+%d" % VK_F11, "notepad.exe", "穿过", "测试", "")
    if conditioned:
        everywhere_else = ' when="except" programs="notepad.exe"'
        rows = [row[:4] + (everywhere_else,) for row in rows]
        rows[97] = rows[97][:4] + (' when="only" programs="notepad.exe"',)
    assert rows[98][0] == "3+%d" % VK_F9 and len(rows) == 100
    return rows


def scheme(rows):
    lines = ['<?xml version="1.0" encoding="GB2312"?>', "<velmora>", "\t<set>",
             "\t\t<password></password>", "\t</set>", "\t<hotkeylist>"]
    for key, action, hint, sort, attributes in rows:
        lines.append("\t\t<hotkeyset%s><hotkey>%s</hotkey><action>%s</action><hint>%s</hint>"
                     "<sort>%s</sort></hotkeyset>" % (attributes, key, action, hint, sort))
    lines += ["\t</hotkeylist>", "</velmora>", ""]
    return "\r\n".join(lines).encode("gb2312")


def percentiles(*args):
    """The probe's p50 and p99 lines. A run that lost a key (the load of a
    shared machine) is made again, up to three times."""
    for attempt in range(3):
        try:
            lines = wine(PROBE, *args).split("\n")
            return [[float(x) for x in line.split()] for line in lines if line.strip()]
        except RuntimeError:
            if attempt == 2:
                raise
            print("(probe %s: a key was lost, measured again)" % args[0], file=sys.stderr)


def idle_ticks():
    pid = linux_pid("tavrelin.exe")
    time.sleep(2)
    before = cpu_ticks(pid)
    time.sleep(IDLE_SECONDS)
    return cpu_ticks(pid) - before


def measure(folder, conditioned):
    os.makedirs(os.path.join(folder, "Data"))
    shutil.copy(os.path.join(footprint.BUILD_DIR, "app", "tavrelin.exe"), folder)
    with open(os.path.join(folder, "hotkey.xml"), "wb") as f:
        f.write(scheme(entries(conditioned)))
    if conditioned:
        with open(os.path.join(folder, "set.ini"), "wb") as f:
            f.write(b"[System]\r\nQuietInFullScreen=1\r\n")
    start_once(os.path.join(folder, "tavrelin.exe"), VK_F10, None)
    results = {"action": percentiles("front-latency", VK_F9, PRESSES)[0]}
    if conditioned:
        results["pass-through"], results["plain"] = percentiles("delivery", PRESSES, VK_F11,
                                                                VK_F12)
    results["ticks"] = idle_ticks()
    stop("tavrelin.exe")
    return results


def main():
    saved = footprint.managed_setting()
    footprint.set_managed("N")
    try:
        run()
    finally:
        footprint.set_managed(saved)


def run():
    root = os.path.join(footprint.BENCH_DIR, "conditions")
    shutil.rmtree(root, ignore_errors=True)
    stop("tavrelin.exe")
    floor = percentiles("delivery", PRESSES, VK_F12)[0]
    plain = measure(os.path.join(root, "plain"), conditioned=False)
    cond = measure(os.path.join(root, "conditioned"), conditioned=True)
    print("%-52s %8s %8s" % ("figure", "p50 ms", "p99 ms"))
    rows = [("keystroke to action, entry without a condition", plain["action"]),
            ("keystroke to action, conditioned entry", cond["action"]),
            ("pass-through keystroke to delivery", cond["pass-through"]),
            ("plain key delivery, Tavrelin running", cond["plain"]),
            ("plain key delivery, no program of ours (floor)", floor)]
    for name, (p50, p99) in rows:
        print("%-52s %8.2f %8.2f" % (name, p50, p99))
    print("conditioned / unconditioned action: p50 %.2f, p99 %.2f"
          % tuple(c / p if p else float("nan") for c, p in zip(cond["action"], plain["action"])))
    print("pass-through above plain delivery: p50 %+.2f ms, p99 %+.2f ms; above the floor: "
          "p50 %+.2f ms, p99 %+.2f ms"
          % (tuple(c - p for c, p in zip(cond["pass-through"], cond["plain"]))
             + tuple(c - f for c, f in zip(cond["pass-through"], floor))))
    print("CPU ticks in %d s idle: without conditions %d, 100 conditioned entries and the "
          "full-screen option on %d" % (IDLE_SECONDS, plain["ticks"], cond["ticks"]))


if __name__ == "__main__":
    sys.exit(main())
