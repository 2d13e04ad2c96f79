"""The clipboard kept across a paste, and a legacy INI file brought in by the
upgrade command, seen from a target window."""

import os

from harness import check, run_selected, wait_for, wine_path

F9 = 120
IDM_UPDATE = 2038
IDM_TRAY_SCHEME_FIRST = 2300


def clipboard(session):
    """The clipboard's text and picture bytes, as tavctl reports them."""
    out = session.path("clip.txt")
    check(session.tavctl("getclip", wine_path(out)) == 0, "the clipboard can be read")
    with open(out, encoding="utf-8") as f:
        return f.read()


def paste_puts_the_copied_text_and_picture_back(session):
    with open(session.path("set.ini"), "wb") as f:
        f.write(b"[System]\r\nRestoreClipboard=1\r\n")
    session.write_scheme([("0+120", "PasteLine:粘贴的文字", "粘贴", "测试")])
    session.start_target()
    session.start_program()

    check(session.tavctl("setclip", "复制的文字 copied") == 0, "a text and a picture copied")
    before = clipboard(session)
    check(before.startswith("text=复制的文字 copied\npicture=28000000"),
          "the copy is on the clipboard: %s" % before)

    session.press("F9")
    session.wait_for_events(lambda e: "paste 粘贴的文字" in e, what="the paste of the hotkey")
    # The earlier content returns as soon as the target has read the text.
    wait_for(lambda: clipboard(session) == before, timeout=10,
             what="the copied text and picture back on the clipboard")

    # A second paste still pastes its own text, not the restored one.
    session.press("F9")
    session.wait_for_events(lambda e: e.count("paste 粘贴的文字") == 2, what="the second paste")
    wait_for(lambda: clipboard(session) == before, timeout=10, what="the copy back again")


def legacy_file_converted_then_chosen_from_the_tray(session):
    session.write_scheme([])
    with open(session.path("Data", "工作.ini"), "wb") as f:
        f.write("[0+120]\r\n执行操作=PasteLine:工作方案\r\n提示=粘贴\r\n类别=测试\r\n"
                .encode("gb2312"))
    session.start_target()
    session.start_program()

    session.tavctl("command", IDM_UPDATE)
    wait_for(lambda: os.path.exists(session.path("Data", "工作.xml")), what="工作.xml")
    check(os.path.exists(session.path("Data", "工作.ini")), "the INI file is kept")

    # The new scheme is the first user scheme of the tray's open menu.
    session.tavctl("command", IDM_TRAY_SCHEME_FIRST)

    # The command is posted: press F9 until the scheme it opens answers.
    def fires():
        session.press("F9")
        try:
            session.wait_for_events(lambda e: "paste 工作方案" in e, what="", timeout=2.0)
            return True
        except AssertionError:
            return False
    wait_for(fires, timeout=30, what="the converted scheme's hotkey to paste")


if __name__ == "__main__":
    run_selected(paste_puts_the_copied_text_and_picture_back,
                 legacy_file_converted_then_chosen_from_the_tray)
