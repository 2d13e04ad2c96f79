"""The program under load and under damage, end to end: a storm of
overlapping script runs that pause, resume (reopening the scheme) and paste,
after which the program still answers its hotkeys and ends cleanly in the
middle of a second storm; and a damaged protected scheme at start, which is
reported while the program keeps running."""

import subprocess
import time

from harness import IDM_EXIT, check, held_modifiers, key_events, run_selected, wait_for
from harness import scheme_xml
from test_passwords import answer_prompt, digest

SHIFT, CTRL, ALT = 16, 17, 18
F8, F9, F10, F11 = 119, 120, 121, 122
RUNS = 10


def no_modifier_held(session):
    for vk in (SHIFT, CTRL, ALT):
        check(not session.key_held(vk), "the system holds no modifier %d" % vk)


def storm_of_runs_keeps_the_program_answering_and_it_ends_cleanly(session):
    # Every run waits first, so that all of them start before any pauses the
    # hotkeys; then each pauses and resumes (reopening the scheme) once.
    storm = session.write_script("storm.tsc", [
        "Delay_ms~:3000",
        "Key_Down~:Shift",
        "Key_Press:A",
        "Key_Up~~~:Shift",
        "PasteLine:storm",
        "Tavrelin停止/开始工作",
        "Delay_ms~:100",
        "Tavrelin停止/开始工作",
        "Key_Down~:Ctrl",
        "Delay_ms~:200",
        "Key_Press:F8",
    ])
    endless = session.write_script("endless.tsc", ["Key_Down~:Alt", "Delay_h~~:1", "Key_Press:Z"])
    session.write_scheme([("0+120", storm, "", ""), ("0+121", "PasteLine:alive", "", ""),
                          ("0+122", endless, "", "")])
    session.start_target()
    session.start_program()

    session.focus_target()
    subprocess.run(["xdotool", "key", "--delay", "80"] + ["F9"] * RUNS, check=True)
    events = session.wait_for_events(
        lambda e: sum(1 for x in e if x == "paste storm") == RUNS, timeout=60,
        what="every run's paste")
    # Each run ends holding Ctrl, after its F8; its end lets go of the Ctrl
    # unless another run's end did so first.
    session.wait_for_events(
        lambda e: e.count("up %d" % F8) == RUNS and held_modifiers(e) == [], timeout=30,
        what="every run's end, no modifier left down")
    # Runs overlap: another run's Ctrl may be down at the A, so count keys,
    # not characters.
    check(sum(1 for x in session.target_events() if x == "down 65") == RUNS,
          "each run pressed its A")

    # Still answering, and not left paused: an even number of toggles.
    done = len(session.target_events())
    session.press("F10")
    session.wait_for_events(lambda e: "paste alive" in e[done:], what="the hotkey after the storm")

    # A second storm, held in hour-long delays, and the program ends in the middle.
    session.focus_target()
    subprocess.run(["xdotool", "key", "--delay", "80"] + ["F11"] * RUNS, check=True)
    wait_for(lambda: session.key_held(ALT), what="the second storm to hold Alt")
    started = time.time()
    session.tavctl("command", IDM_EXIT)
    session.program.wait(timeout=30)
    took = time.time() - started
    print("ending in the middle of %d runs took %.1f s" % (RUNS, took))
    check(took < 10, "the program ended in bounded time (%.1f s)" % took)
    no_modifier_held(session)
    check("char z" not in session.target_events(), "no hour-long delay ran out")


def damaged_protected_scheme_is_reported_at_start(session):
    # Entry texts written by hand in place of cipher texts: the program shows
    # the conversion error instead of ending.
    with open(session.path("hotkey.xml"), "wb") as f:
        f.write(scheme_xml([("中文", "记事本", "", "")], password=digest("pw")))
    session.start_target()
    session.start_program()
    answer_prompt("pw")
    wait_for(lambda: session.box_text("Tavrelin 4.6.0 Final") is not None,
             what="the conversion error's box")
    text = session.box_text("Tavrelin 4.6.0 Final")
    check(text == "'0x中' is not a valid integer value", "the box quotes whole characters: %r" % text)
    check(session.program.poll() is None and session.program_running(),
          "the program is still running")


if __name__ == "__main__":
    run_selected(storm_of_runs_keeps_the_program_answering_and_it_ends_cleanly,
                 damaged_protected_scheme_is_reported_at_start)
