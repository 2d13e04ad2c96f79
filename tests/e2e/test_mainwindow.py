"""The main window from outside: shown by a hotkey behind the access
password, and an entry whose combination another program holds marked in
the list with the reason in the status bar."""

import hashlib
import os
import shutil
import subprocess

from harness import (TOOLS_DIR, activate, check, count_lines, run_selected, scheme_xml, wait_for,
                     wine_path)

IDM_TRAY_SHOW = 2043
MAIN_TITLE = "^Tavrelin 4.6.0 Final"


def visible(title_pattern):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title_pattern],
                          capture_output=True, text=True).stdout.split()


def type_into(window, text):
    activate(window)
    subprocess.run(["xdotool", "type", "--delay", "60", text], check=True)
    subprocess.run(["xdotool", "key", "Return"], check=True)


def show_hotkey_asks_the_access_password_first(session):
    digest = hashlib.md5(b"open-sesame").hexdigest()
    with open(session.path("set.ini"), "wb") as f:
        f.write(("[System]\r\n密码=%s\r\n" % digest).encode("gbk"))
    session.write_scheme([("3+83", "显示Tavrelin", "显示主窗口", "")])
    session.start_target()
    session.start_program()
    session.press("ctrl+alt+s")
    prompt = wait_for(lambda: visible("^密码$"), what="the access password prompt")[-1]
    check(not visible(MAIN_TITLE), "the main window waits for the password")
    type_into(prompt, "open-sesame")
    wait_for(lambda: visible(MAIN_TITLE), what="the main window after the password")


def second_start_shows_the_running_copy_and_a_copy_elsewhere_runs_its_own(session):
    session.write_scheme([])
    session.start_program()
    check(not visible(MAIN_TITLE), "the first start stays in the tray")
    second = subprocess.Popen(["wine", session.path("tavrelin.exe")], cwd=session.dir,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for(lambda: second.poll() is not None, what="the second start to end")
    wait_for(lambda: visible(MAIN_TITLE), what="the running copy's main window")
    check(session.program.poll() is None, "the first copy runs on")

    # Another folder: its own copy starts and fires its own hotkey.
    other = session.path("other")
    os.makedirs(other)
    shutil.copy(session.path("tavrelin.exe"), other)
    marker = session.path("fired.txt")
    batch = session.write_marker_batch("mark.bat", marker)
    with open(os.path.join(other, "hotkey.xml"), "wb") as f:
        f.write(scheme_xml([("3+77", batch, "mark", "")]))
    copy = subprocess.Popen(["wine", os.path.join(other, "tavrelin.exe")], cwd=other,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        session.start_target()
        wait_for(lambda: not session.hotkey_free(3, 77), what="the other copy's hotkey")
        session.press("ctrl+alt+m")
        wait_for(lambda: count_lines(marker) == 1, what="the other copy's hotkey to fire")
        check(copy.poll() is None, "the other folder's copy runs")
    finally:
        copy.kill()
        copy.wait()


def status_text(session):
    out = session.path("status.txt")
    if session.tavctl("statustext", wine_path(out)) != 0:
        return None
    with open(out, encoding="utf-8") as f:
        return f.read()


def entry_held_by_another_program_is_marked(session):
    ready = session.path("holding")
    holder = subprocess.Popen(["wine", os.path.join(TOOLS_DIR, "tavctl.exe"), "holdhotkey",
                               "3", str(ord("K")), wine_path(ready)],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wait_for(lambda: os.path.exists(ready) or holder.poll() is not None,
                 what="the other program to take Ctrl+Alt+K")
        check(os.path.exists(ready), "the other program holds Ctrl+Alt+K")
        session.write_scheme([("3+74", "PasteLine:free", "", ""),
                              ("3+75", "PasteLine:held", "", "")])
        session.start_program()
        check(session.tavctl("command", IDM_TRAY_SHOW) == 0, "show is chosen")
        wait_for(lambda: visible(MAIN_TITLE), what="the main window")
        free_image = session.tavctl("rowimage", 0)
        held_image = session.tavctl("rowimage", 1)
        check(held_image == free_image + 1,
              "the held entry shows the refused mark (%d, %d)" % (free_image, held_image))
        check(session.tavctl("select", 1) == 0, "the held entry is selected")
        wait_for(lambda: "已被其他程序占用" in (status_text(session) or ""),
                 what="the reason in the status bar")
        check(session.tavctl("select", 0) == 0, "the free entry is selected")
        wait_for(lambda: status_text(session) == "PasteLine:free", what="its action in the status bar")
    finally:
        holder.kill()
        holder.wait()


if __name__ == "__main__":
    run_selected(show_hotkey_asks_the_access_password_first,
                 second_start_shows_the_running_copy_and_a_copy_elsewhere_runs_its_own,
                 entry_held_by_another_program_is_marked)
