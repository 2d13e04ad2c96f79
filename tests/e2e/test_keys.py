"""Keys the program sends, seen from a target window and from the system's
key state: modifiers of either hand around a paste, and a held hotkey."""

import subprocess
import time

from harness import check, held_modifiers, key_events, run_selected

SHIFT, CTRL, ALT = 16, 17, 18
# The modifier keys of each side and the Windows keys, as GetAsyncKeyState
# tells them apart.
SIDED_MODIFIERS = (0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0x5B, 0x5C)
F9, F10 = 120, 121


def no_key_left_down(session):
    for vk in (SHIFT, CTRL, ALT) + SIDED_MODIFIERS:
        check(not session.key_held(vk), "the system holds no key %#x" % vk)


def right_hand_ctrl_and_alt_paste_and_nothing_stays_down(session):
    # Ctrl+Alt+V, pressed with the right-hand Ctrl and Alt.
    session.write_scheme([("3+86", "PasteLine:右手 abc", "粘贴", "测试")])
    session.start_target()
    session.start_program()

    session.hold("Control_R")
    session.hold("Alt_R")
    session.wait_for_events(lambda e: held_modifiers(e) == [CTRL, ALT],
                            what="the right Ctrl and Alt to be held")
    subprocess.run(["xdotool", "key", "v"], check=True)
    events = session.wait_for_events(lambda e: any(x.startswith("paste ") for x in e),
                                     what="the paste's Ctrl+V")
    session.release("Alt_R")
    session.release("Control_R")
    events = session.wait_for_events(lambda e: held_modifiers(e) == [],
                                     what="every modifier to come up in the target")
    paste = next(i for i, e in enumerate(events) if e.startswith("paste "))
    check(events[paste] == "paste 右手 abc", "the text is pasted: %s" % events[paste])
    # The V went down with Ctrl alone: Ctrl+Alt+V is no paste.
    check(held_modifiers(events[:paste]) == [CTRL],
          "only Ctrl is held at the paste's V: %s" % key_events(events))
    no_key_left_down(session)


def held_hotkey_fires_once(session):
    session.write_scheme([("0+120", "Key_Press:A", "按住", "测试"),
                          ("0+121", "Key_Press:B", "之后", "测试")])
    session.start_target()
    session.start_program()

    # Held for 1.5 s: the keyboard's auto-repeat sends the hotkey again and
    # again. Then F10, whose key arrives after everything F9 sent.
    session.hold("F9")
    time.sleep(1.5)
    session.release("F9")
    session.press("F10")
    events = session.wait_for_events(lambda e: "char b" in e, what="F10's key")
    presses = [e for e in key_events(events, [F9, F10]) if e.startswith("char ")]
    check(presses == ["char a", "char b"], "the held hotkey ran once: %s" % presses)
    no_key_left_down(session)


def key_up_carries_the_scan_code_of_its_key_down(session):
    script = session.write_script("delete.tsc", ["Key_Down~:Delete", "Key_Up~~~:Delete",
                                                 "Key_Press:Right"])
    session.write_scheme([("0+120", script, "脚本", "测试")])
    session.start_target()
    session.start_program()

    session.press("F9")
    events = session.wait_for_events(lambda e: "up 39" in e, what="the script's keys")
    scans = [e for e in events if e.startswith("scan ") and e.split()[2] in ("46", "39")]
    # Delete and Right are extended keys, their scan codes those of the layout.
    check(scans == ["scan down 46 83 1", "scan up 46 83 1", "scan down 39 77 1",
                    "scan up 39 77 1"], "each key-up matches its key-down: %s" % scans)
    no_key_left_down(session)


if __name__ == "__main__":
    run_selected(right_hand_ctrl_and_alt_paste_and_nothing_stays_down,
                 held_hotkey_fires_once,
                 key_up_carries_the_scan_code_of_its_key_down)
