"""A hotkey of the default scheme fires its action; pause stops it, resume
brings it back, and "退出" ends the program."""

import time

from harness import IDM_EXIT, IDM_STOP, check, count_lines, run, wait_for


def hotkey_fires_pauses_resumes_and_exit_ends(session):
    marker = session.path("marker.txt")
    batch = session.write_marker_batch("mark.bat", marker)
    session.write_scheme([("3+65", batch, "标记", "测试")])
    session.start_target()
    session.start_program()

    session.press("ctrl+alt+a")
    wait_for(lambda: count_lines(marker) == 1, what="the hotkey to run the batch file")

    check(session.tavctl("command", IDM_STOP) == 0, "pause is chosen")
    time.sleep(1.0)
    session.press("ctrl+alt+a")
    time.sleep(3.0)
    check(count_lines(marker) == 1, "a paused hotkey does nothing")

    check(session.tavctl("command", IDM_STOP) == 0, "resume is chosen")
    time.sleep(1.0)
    session.press("ctrl+alt+a")
    wait_for(lambda: count_lines(marker) == 2, what="the hotkey to fire again after resume")

    check(session.tavctl("command", IDM_EXIT) == 0, "exit is chosen")
    wait_for(lambda: session.program.poll() is not None, what="the program to end")


if __name__ == "__main__":
    run(hotkey_fires_pauses_resumes_and_exit_ends)
