"""A scheme made through "新建方案" becomes the active scheme, and an entry
added to it through the hotkey editor, with keys pressed into its hotkey
control, fires its hotkey."""

import os
import subprocess

from harness import IDM_EXIT, activate, check, count_lines, run, wait_for

IDM_NEW_SCHEME = 2034
IDC_MAIN_ADD = 2012    # the "添加" button
IDC_EDITOR_OK = 3014   # the hotkey editor's "确定"


def dialog(session, title):
    """The X window id of the visible dialog titled `title`, once it is up."""
    window = wait_for(lambda: session.find_windows(title), what="the dialog " + title)[-1]
    activate(window)
    return window


def xdotool(*args):
    subprocess.run(["xdotool"] + list(args), check=True)


def new_scheme_is_active_and_its_added_entry_fires(session):
    marker = session.path("marker.txt")
    batch = session.write_marker_batch("mark.bat", marker)
    session.write_scheme([])
    session.start_target()
    session.start_program()

    check(session.tavctl("command", IDM_NEW_SCHEME) == 0, "新建方案 is chosen")
    dialog(session, "新建方案")
    xdotool("type", "--delay", "50", "work")
    xdotool("key", "Return")
    scheme = session.path("Data", "work.xml")
    wait_for(lambda: os.path.exists(scheme), what="the new scheme file")

    check(session.tavctl("command", IDC_MAIN_ADD) == 0, "添加 is chosen")
    dialog(session, "添加热键")
    # The hotkey control has the focus: the combination goes into it.
    xdotool("key", "--delay", "50", "ctrl+alt+k")
    xdotool("key", "Tab")
    xdotool("type", "--delay", "20", batch)
    # Where Windows has the button, not where a window manager's frame puts it.
    session.click_control("添加热键", IDC_EDITOR_OK)
    wait_for(lambda: b"<hotkey>3+75</hotkey>" in open(scheme, "rb").read(),
             what="the entry in the new scheme")

    session.press("ctrl+alt+k")
    wait_for(lambda: count_lines(marker) == 1, what="the added hotkey to run the batch file")

    check(session.tavctl("command", IDM_EXIT) == 0, "exit is chosen")
    wait_for(lambda: session.program.poll() is not None, what="the program to end")


if __name__ == "__main__":
    run(new_scheme_is_active_and_its_added_entry_fires)
