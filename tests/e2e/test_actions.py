"""Hotkeys that paste text and run macro scripts, seen from a target window:
the exact keys and text it receives, and the modifiers left behind."""

import time

from harness import check, held_modifiers, key_events, run_selected, wait_for, wine_path

F9 = 120  # the hotkeys below use F9, which the target would otherwise log
SHIFT, CTRL, ALT = 16, 17, 18
MISSING_SCRIPT_TEXT = "您要执行的脚本文件不存在。"


def modifiers_released(session, events):
    check(held_modifiers(events) == [], "no modifier is left down in the target: %s" % events)
    for vk in (SHIFT, CTRL, ALT):
        check(not session.key_held(vk), "the system holds no modifier %d" % vk)


def paste_puts_the_text_into_the_focused_window(session):
    session.write_scheme([("0+120", "PasteLine:你好, Tavrelin 123", "粘贴", "测试"),
                          ("4+120", "PasteLine:粘贴 abc $$/注释", "粘贴", "测试")])
    session.start_target()
    session.start_program()

    # F9 alone: the Ctrl+V that the target sees can only be the paste's own.
    session.press("F9")
    events = session.wait_for_events(lambda e: "up %d" % CTRL in key_events(e, [F9]),
                                     what="the paste's Ctrl+V")
    check(key_events(events, [F9]) ==
          ["down 17", "down 86", "paste 你好, Tavrelin 123", "up 86", "up 17"],
          "Ctrl+V pastes exactly the text, with Ctrl pressed and released by the paste")
    done = len(events)

    # Shift held by the user: the paste lets it go for Ctrl+V and presses it
    # again; the comment and the blank before it are not pasted.
    session.hold("shift")
    session.wait_for_events(lambda e: "down 16" in e[done:], what="Shift to be held")
    session.press("F9")
    session.wait_for_events(
        lambda e: "up %d" % CTRL in e[done:] and key_events(e[done:], [F9])[-1] == "down 16",
        what="the second paste to end by pressing Shift again")
    session.release("shift")
    events = session.wait_for_events(lambda e: e[-1] == "up 16", what="Shift to be released")
    check(key_events(events[done:], [F9]) ==
          ["down 16", "up 16", "down 17", "down 86", "paste 粘贴 abc", "up 86", "up 17",
           "down 16", "up 16"],
          "a held Shift is released for the paste and pressed again")
    modifiers_released(session, events)


def script_keys_arrive_in_order_and_no_modifier_stays_down(session):
    script = session.write_script("keys.tsc", [
        "Key_Press:A",
        "Key_Down~:Shift",
        "Key_Press:B",
        "Key_Up~~~:Shift",
        "Delay_ms~:200",
        "$$/注释",
        "",
        "Key_Press:Enter",
        "Key_Down~:Ctrl",
    ])
    session.write_scheme([("0+120", script, "脚本", "测试")])
    session.start_target()
    session.start_program()

    session.press("F9")
    # The run ends holding Ctrl; its end lets go of it, and of nothing else.
    events = session.wait_for_events(lambda e: key_events(e, [F9])[-1:] == ["up 17"],
                                     what="the run to end")
    time.sleep(0.5)
    events = session.target_events()
    check(key_events(events, [F9]) ==
          ["down 65", "char a", "up 65",
           "down 16", "down 66", "char B", "up 66", "up 16",
           "down 13", "up 13",
           "down 17",
           "up 17"],
          "the script's keys arrive in order and the end of the run lets go of its Ctrl")
    modifiers_released(session, events)


def script_starts_a_second_script(session):
    # The second script's name is Chinese: the line naming it is code page
    # 936 like the rest of the file.
    second = session.write_script("第二.tsc", ["Key_Press:D"])
    first = session.write_script("first.tsc", ["Key_Press:C", second, "Key_Press:E"])
    session.write_scheme([("0+120", first, "脚本", "测试")])
    session.start_target()
    session.start_program()

    session.press("F9")
    events = session.wait_for_events(lambda e: "char d" in e and "char e" in e,
                                     what="both scripts' keys")
    chars = [e for e in events if e.startswith("char ")]
    # The first run goes on without waiting for the second, so "d" may come
    # anywhere after "c".
    check(sorted(chars) == ["char c", "char d", "char e"] and chars[0] == "char c",
          "each script's key arrives once: %s" % chars)
    modifiers_released(session, events)


def missing_script_is_reported_and_the_run_goes_on(session):
    missing = session.path("Script", "缺少.tsc")
    script = session.write_script("calls-missing.tsc", [
        "Key_Press:F",
        wine_path(missing),
        # The run goes on at once, without waiting for the message box; the
        # box takes the focus, so the test closes it before the next key.
        "Delay_ms~:6000",
        "Key_Press:G",
    ])
    session.write_scheme([("0+120", script, "脚本", "测试")])
    session.start_target()
    session.start_program()

    session.press("F9")
    boxes = wait_for(lambda: session.find_windows("^Tavrelin$"),
                     what="the missing-script message box")
    check(session.box_text("Tavrelin") == MISSING_SCRIPT_TEXT,
          "the box tells that the script file does not exist")
    session.wait_for_events(lambda e: "char f" in e, what="the line before the missing script")

    session.dismiss_box(boxes[0])
    wait_for(lambda: not session.find_windows("^Tavrelin$"), what="the box to close")
    session.focus_target(click=True)

    events = session.wait_for_events(lambda e: "char g" in e,
                                     what="the line after the missing script")
    time.sleep(0.5)
    events = session.target_events()
    chars = [e for e in events if e.startswith("char ")]
    check(chars == ["char f", "char g"], "the run went on after the missing script: %s" % chars)
    modifiers_released(session, events)


if __name__ == "__main__":
    run_selected(paste_puts_the_text_into_the_focused_window,
                 script_keys_arrive_in_order_and_no_modifier_stays_down,
                 script_starts_a_second_script,
                 missing_script_is_reported_and_the_run_goes_on)
