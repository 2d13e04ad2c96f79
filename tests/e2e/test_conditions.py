"""Entries that know which program is in front: one limited to another
program gives its combination to the target window, whose program it is not;
one limited to the target's program fires there; a switched-off entry never
fires and its combination reaches the target."""

from harness import IDM_EXIT, check, count_lines, held_modifiers, run, wait_for

A, B, C = 65, 66, 67


def scheme(entries):
    """A scheme whose entries are (key text, action, attributes of hotkeyset)."""
    lines = ['<?xml version="1.0" encoding="GB2312"?>', "<velmora>", "\t<set>",
             "\t\t<password></password>", "\t</set>", "\t<hotkeylist>"]
    for key, action, attributes in entries:
        lines.append("\t\t<hotkeyset%s><hotkey>%s</hotkey><action>%s</action><hint></hint>"
                     "<sort></sort></hotkeyset>" % (attributes, key, action))
    lines += ["\t</hotkeylist>", "</velmora>", ""]
    return "\r\n".join(lines).encode("gb2312")


def conditioned_entries_pass_through_elsewhere_and_fire_in_their_program(session):
    marker_a, marker_b, marker_c = (session.path(n) for n in ("a.txt", "b.txt", "c.txt"))
    with open(session.path("hotkey.xml"), "wb") as f:
        f.write(scheme([
            ("3+65", session.write_marker_batch("a.bat", marker_a),
             ' when="only" programs="notepad.exe; WORDPAD.EXE"'),
            ("3+66", session.write_marker_batch("b.bat", marker_b),
             ' when="only" programs="TARGET_WINDOW.EXE"'),
            ("3+67", session.write_marker_batch("c.bat", marker_c), ' enabled="0"'),
        ]))
    session.start_target()
    session.start_program()
    session.focus_target()

    # With the target in front the program holds only the entry for the
    # target's own program; the others leave their combinations free.
    wait_for(lambda: session.hotkey_free(3, A), what="Ctrl+Alt+A to be left to the target")
    check(session.hotkey_free(3, C), "a switched-off entry holds nothing")
    check(not session.hotkey_free(3, B), "the entry for the target's program is registered")

    for key, name in ((A, "a"), (C, "c")):
        done = len(session.target_events())
        session.press("ctrl+alt+" + name)
        events = session.wait_for_events(
            lambda e: "up %d" % key in e[done:] and not held_modifiers(e),
            what="Ctrl+Alt+%s to reach the target and every key to come up" % name.upper())
        check(events[done:].count("down %d" % key) == 1, "the target got the key down once")
        check("down 17" in events[done:] and "down 18" in events[done:],
              "the target got the modifiers")
    check(count_lines(marker_a) == 0 and count_lines(marker_c) == 0, "nothing ran")

    done = len(session.target_events())
    session.press("ctrl+alt+b")
    wait_for(lambda: count_lines(marker_b) == 1, what="the target's own entry to fire")
    check("down %d" % B not in session.target_events()[done:], "a fired hotkey's key is taken")

    check(session.tavctl("command", IDM_EXIT) == 0, "exit is chosen")
    wait_for(lambda: session.program.poll() is not None, what="the program to end")


if __name__ == "__main__":
    run(conditioned_entries_pass_through_elsewhere_and_fire_in_their_program)
