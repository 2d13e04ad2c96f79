"""A hotkey of the default scheme fires its action; pause stops it, resume
brings it back, and "退出" ends the program."""

from harness import IDM_EXIT, IDM_STOP, check, count_lines, run, wait_for


A = 65


def press_and_see_where_it_goes(session, marker):
    """Presses Ctrl+Alt+A once: "fired" when the hotkey ran its batch file,
    "target" when the keys reached the target window instead."""
    fired, done = count_lines(marker), len(session.target_events())
    session.press("ctrl+alt+a")
    outcome = []

    def settled():
        if count_lines(marker) > fired:
            outcome.append("fired")
        elif "down %d" % A in session.target_events()[done:]:
            outcome.append("target")
        return outcome

    wait_for(settled, what="Ctrl+Alt+A to fire or reach the target")
    return outcome[0]


def hotkey_fires_pauses_resumes_and_exit_ends(session):
    marker = session.path("marker.txt")
    batch = session.write_marker_batch("mark.bat", marker)
    session.write_scheme([("3+65", batch, "标记", "测试")])
    session.start_target()
    session.start_program()

    session.press("ctrl+alt+a")
    wait_for(lambda: count_lines(marker) == 1, what="the hotkey to run the batch file")

    # Paused, the program gives its hotkeys back: the combination is free and
    # reaches the focused window as plain keys (a hotkey's key-down never does).
    check(session.tavctl("command", IDM_STOP) == 0, "pause is chosen")
    wait_for(lambda: session.hotkey_free(3, A), what="the paused program to free Ctrl+Alt+A")
    done = len(session.target_events())
    session.press("ctrl+alt+a")
    session.wait_for_events(lambda e: "down %d" % A in e[done:],
                            what="Ctrl+Alt+A to reach the target as keys")
    check(count_lines(marker) == 1, "a paused hotkey does nothing")

    # Resumed: pressed until it fires, since the program takes the combination
    # back after the command arrives. A press before that reaches the target.
    check(session.tavctl("command", IDM_STOP) == 0, "resume is chosen")
    wait_for(lambda: press_and_see_where_it_goes(session, marker) == "fired",
             what="the hotkey to fire again after resume")
    check(count_lines(marker) == 2, "the resumed hotkey fired once")

    check(session.tavctl("command", IDM_EXIT) == 0, "exit is chosen")
    wait_for(lambda: session.program.poll() is not None, what="the program to end")


if __name__ == "__main__":
    run(hotkey_fires_pauses_resumes_and_exit_ends)
