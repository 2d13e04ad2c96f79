"""A script written in the script editor with its insertion aids, saved,
handed to a new entry by closing the editor, and fired by the entry's hotkey:
the target window receives exactly the script's keys, and the file holds
exactly the lines the aids wrote, in code page 936 with CR LF."""

import os
import subprocess

from harness import (IDM_EXIT, activate, check, held_modifiers, key_events, run, wait_for,
                     wine_path)

IDC_MAIN_ADD = 2012  # the main window's "添加" button
IDM_TRAY_SHOW = 2043  # the tray menu's "显示主窗体"
# The hotkey editor's controls.
HOTKEY_EDITOR = "添加热键"
IDC_EDITOR_HOTKEY = 3002
IDC_EDITOR_TARGET = 3004
IDC_EDITOR_SCRIPT = 3008
IDC_EDITOR_OK = 3014
# The script editor's window class and controls.
SCRIPT_EDITOR = "TfrmScripEditor"
IDC_SCRIPT_ACTINGCOPY = 5021
IDC_SCRIPT_INSKEY = 5024
IDC_SCRIPT_INSTIME = 5026
IDC_SCRIPT_EDITOR = 5030
IDC_SCRIPT_TABS = 5032
IDC_SCRIPT_BASICBAR = 5033
IDC_SCRIPT_KEY = 5035
IDC_SCRIPT_KEYSORT = 5037
IDC_SCRIPT_DELAY = 5041
TAB_KEYS, TAB_TIME = 1, 2

F9, SHIFT, CTRL, ALT = 120, 16, 17, 18

# What each aid writes, in the order the test uses them: a delay first, so
# that the user's hand is off the hotkey's Alt before the keys go out.
DELAY_LINES = ["$$/延时：毫秒(ms)", "Delay_ms~:300"]
COPY_LINES = ["$$/复制", "Key_Down~:Ctrl", "Key_Press:C", "Key_Up~~~:Ctrl"]
SHIFT_DOWN_LINES = ["$$/按住", "Key_Down~:Shift"]
KEY_Q_LINES = ["$$/按键", "Key_Press:Q"]
SHIFT_UP_LINES = ["$$/弹起", "Key_Up~~~:Shift"]


def xdotool(*args):
    subprocess.run(["xdotool"] + [str(a) for a in args], check=True)


def visible_window(session, title_pattern, what):
    """The X window id of the visible window whose title matches, once it is up."""
    return wait_for(lambda: session.find_windows(title_pattern), what=what)[-1]


def wait_for_text(session, window, control, expected, what):
    try:
        wait_for(lambda: session.control_text(window, control) == expected, what=what)
    except AssertionError as failure:
        raise AssertionError("%s; it shows %r" % (failure, session.control_text(window, control)))


def editor_text(lines):
    """The editor's text after the aids wrote `lines`: each ends in CR LF."""
    return "".join(line + "\r\n" for line in lines)


def insert_key_command(session, written, key, steps_down, lines):
    """Presses `key` in the key-capture field, moves the type list `steps_down`
    items down from "按键" (or back up to it) and inserts the key command."""
    session.click_control(SCRIPT_EDITOR, IDC_SCRIPT_KEY)
    xdotool("key", key)
    shown = {"shift": "Shift", "q": "Q"}[key]
    wait_for_text(session, SCRIPT_EDITOR, IDC_SCRIPT_KEY, shown,
                  "the key-capture field to show " + shown)
    session.click_control(SCRIPT_EDITOR, IDC_SCRIPT_KEYSORT, x_ratio=0.3)
    xdotool("key", "--delay", "50", "Up", "Up", *(["Down"] * steps_down))
    sort = lines[0][len("$$/"):]
    wait_for_text(session, SCRIPT_EDITOR, IDC_SCRIPT_KEYSORT, sort, "the type " + sort)
    session.click_control(SCRIPT_EDITOR, IDC_SCRIPT_INSKEY)
    written += lines
    wait_for_text(session, SCRIPT_EDITOR, IDC_SCRIPT_EDITOR, editor_text(written),
                  "the key command in the editor")


def script_written_in_the_editor_runs_from_its_hotkey(session):
    session.write_scheme([])
    session.start_target()
    session.start_program()

    # A new entry: the hotkey editor opens the script editor on a new script,
    # since the target field names no script.
    answer = session.tavctl("command", IDC_MAIN_ADD)
    check(answer == 0, "添加 is chosen (tavctl answered %d; the program's process %s)" %
          (answer, session.process_state()))
    activate(visible_window(session, HOTKEY_EDITOR, "the hotkey editor"))
    session.click_control(HOTKEY_EDITOR, IDC_EDITOR_SCRIPT)
    activate(visible_window(session, r"^编辑脚本 - \[未命名\]$", "the script editor"))

    written = []
    # 时间相关: a delay of 300 ms.
    session.click_control(SCRIPT_EDITOR, IDC_SCRIPT_TABS, TAB_TIME)
    session.click_control(SCRIPT_EDITOR, IDC_SCRIPT_DELAY)
    xdotool("type", "--delay", "50", "3x00")  # the letter is refused by the field
    wait_for_text(session, SCRIPT_EDITOR, IDC_SCRIPT_DELAY, "300", "the delay 300")
    session.click_control(SCRIPT_EDITOR, IDC_SCRIPT_INSTIME)
    written += DELAY_LINES
    wait_for_text(session, SCRIPT_EDITOR, IDC_SCRIPT_EDITOR, editor_text(written),
                  "the delay in the editor")
    wait_for(lambda: session.find_windows(r"^编辑脚本 - \[未命名\*\]$"),
             what="the caption to mark the script modified")

    # 基础功能: the copy macro.
    session.click_control(SCRIPT_EDITOR, IDC_SCRIPT_TABS, 0)
    session.click_control(SCRIPT_EDITOR, IDC_SCRIPT_BASICBAR, IDC_SCRIPT_ACTINGCOPY)
    written += COPY_LINES
    wait_for_text(session, SCRIPT_EDITOR, IDC_SCRIPT_EDITOR, editor_text(written),
                  "the copy macro in the editor")

    # 按键相关: Shift held, Q pressed, Shift let go, each key taken by the
    # key-capture field.
    session.click_control(SCRIPT_EDITOR, IDC_SCRIPT_TABS, TAB_KEYS)
    insert_key_command(session, written, "shift", 1, SHIFT_DOWN_LINES)
    insert_key_command(session, written, "q", 0, KEY_Q_LINES)
    insert_key_command(session, written, "shift", 2, SHIFT_UP_LINES)

    # Ctrl+S on the unnamed script asks for a name in the Script folder.
    editor = visible_window(session, r"^编辑脚本 - ", "the script editor")
    activate(editor)
    xdotool("key", "ctrl+s")
    activate(visible_window(session, "^(另存为|Save As)$", "the save dialog"))
    xdotool("type", "--delay", "50", "typing")
    xdotool("key", "Return")
    script = session.path("Script", "typing.tsc")
    wait_for(lambda: os.path.exists(script), what="the saved script")
    wait_for(lambda: session.find_windows(r"^编辑脚本 - \[typing\.tsc\]$"),
             what="the caption to name the saved script")
    with open(script, "rb") as f:
        saved = f.read()
    # The editor's text ends in a line break: the empty line after it is
    # saved too.
    check(saved == editor_text(written + [""]).encode("gbk"),
          "the file holds the aids' lines in code page 936 with CR LF: %r" % saved)

    # Closing the editor hands the script's name to the hotkey editor.
    activate(visible_window(session, r"^编辑脚本 - ", "the script editor"))
    xdotool("key", "alt+F4")
    wait_for(lambda: not session.find_windows("^编辑脚本"), what="the script editor to close")
    target = session.control_text(HOTKEY_EDITOR, IDC_EDITOR_TARGET) or ""
    check(target.lower() == wine_path(script).lower(),
          "the target field names the script: %r" % target)

    # F9 alone becomes Alt+F9 in the hotkey control.
    activate(visible_window(session, HOTKEY_EDITOR, "the hotkey editor"))
    session.click_control(HOTKEY_EDITOR, IDC_EDITOR_HOTKEY)
    xdotool("key", "alt+F9")
    session.click_control(HOTKEY_EDITOR, IDC_EDITOR_OK)
    scheme = session.path("hotkey.xml")
    wait_for(lambda: b"<hotkey>1+120</hotkey>" in open(scheme, "rb").read(),
             what="the entry in the scheme")
    # The list is filled and the hotkey registered in one go on the
    # program's thread; the count is answered once that is done. The main
    # window, never shown so far, makes its list when it is shown.
    check(session.tavctl("command", IDM_TRAY_SHOW) == 0, "show is chosen")
    wait_for(lambda: session.tavctl("rows") == 1, what="the entry in the list")

    # The dialogs were the active windows last: a click makes the target the
    # active one again.
    session.focus_target(click=True)
    session.press("alt+F9")
    events = session.wait_for_events(
        lambda e: "up 81" in e and key_events(e, [F9, ALT])[-1:] == ["up 16"],
        what="the script's run to end")
    check(key_events(events, [F9, ALT]) ==
          ["down 17", "down 67", "up 67", "up 17",
           "down 16", "down 81", "char Q", "up 81", "up 16"],
          "the target received the script's keys, each let go by the script")
    check(held_modifiers(events) == [], "no modifier is left down in the target")
    for vk in (SHIFT, CTRL, ALT):
        check(not session.key_held(vk), "the system holds no modifier %d" % vk)

    check(session.tavctl("command", IDM_EXIT) == 0, "exit is chosen")
    wait_for(lambda: session.program.poll() is not None, what="the program to end")


if __name__ == "__main__":
    run(script_written_in_the_editor_runs_from_its_hotkey)
