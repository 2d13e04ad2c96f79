"""A protected default scheme, made here with an independent MD5 and AES
(Python's hashlib and the openssl command), asks for its password at start;
the right password makes its hotkey fire, a wrong one and Cancel leave the
program running with no hotkey."""

import hashlib
import struct
import subprocess

from harness import activate, check, count_lines, is_foreground, run_selected, wait_for


def digest(password):
    return hashlib.md5(password.encode("gb2312")).hexdigest()


def encrypt(password, text):
    """The cipher text of a protected entry: length, AES-128-ECB blocks, hex."""
    plain = text.encode("gb2312")
    if not plain:
        return ""
    key = password.encode("gb2312")[:16].ljust(16, b"\0")
    padded = plain + b"\0" * (-len(plain) % 16)
    blocks = subprocess.run(["openssl", "enc", "-aes-128-ecb", "-nopad", "-K", key.hex()],
                            input=padded, capture_output=True, check=True).stdout
    return (struct.pack("<I", len(plain)) + blocks).hex().upper()


def window_ids(name_pattern):
    return subprocess.run(["xdotool", "search", "--name", name_pattern],
                          capture_output=True, text=True).stdout.split()


def existing_window(name_pattern):
    """The X window id of a window that is expected on the display, from the
    search that found it (see wait_for)."""
    return wait_for(lambda: window_ids(name_pattern), timeout=5.0, what=name_pattern)[-1]


def answer_prompt(keys_before_enter):
    """Types into the password prompt and presses Enter. The prompt comes at
    start while the target window is in front: it waits there, without the
    keyboard, until the user clicks it."""
    wait_for(lambda: window_ids("^密码$"), what="the password prompt")
    check(not is_foreground("密码", within=1.0), "the prompt leaves the keyboard to the target")
    prompt = existing_window("^密码$")
    subprocess.run(["xdotool", "mousemove", "--window", prompt, "10", "10", "click", "1"],
                   check=True)
    activate(prompt)  # the keyboard focus of the display follows
    subprocess.run(["xdotool", "type", "--delay", "60", keys_before_enter], check=True)
    subprocess.run(["xdotool", "key", "Return"], check=True)


def start_protected(session, password):
    marker = session.path("marker.txt")
    batch = session.write_marker_batch("mark.bat", marker)
    entry = [encrypt(password, t) for t in ("3+65", batch, "受保护的热键", "测试")]
    session.write_scheme([tuple(entry)], password=digest(password))
    session.start_target()
    session.start_program()
    return marker


def right_password_opens_the_scheme(session):
    marker = start_protected(session, "Tav2026")
    answer_prompt("Tav2026")
    wait_for(lambda: not window_ids("^密码$") or not prompt_visible(), what="the prompt to close")
    session.press("ctrl+alt+a")
    wait_for(lambda: count_lines(marker) == 1, what="the protected entry's hotkey to fire")


def prompt_that_lost_the_foreground_still_takes_the_password(session):
    """The root window takes the focus away from the prompt: Wine's
    foreground window is gone while the window manager still counts the
    prompt as focused. Activated again, the prompt gets the typed password."""
    marker = start_protected(session, "Tav2026")
    wait_for(lambda: window_ids("^密码$"), what="the password prompt")
    root = subprocess.run(["xwininfo", "-root", "-int"], capture_output=True,
                          text=True).stdout.split("Window id:")[1].split()[0]
    subprocess.run(["xdotool", "windowfocus", "--sync", root], check=True)
    answer_prompt("Tav2026")
    wait_for(lambda: not prompt_visible(), what="the prompt to close")
    session.press("ctrl+alt+a")
    wait_for(lambda: count_lines(marker) == 1, what="the protected entry's hotkey to fire")


def prompt_visible():
    ids = window_ids("^密码$")
    return any(subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^密码$"],
                              capture_output=True, text=True).stdout.split()) if ids else False


def wrong_password_then_cancel_registers_nothing(session):
    marker = start_protected(session, "Tav2026")
    answer_prompt("wrong")
    wait_for(lambda: window_ids("^警告$"), what="the wrong-password message")
    activate(existing_window("^警告$"))
    subprocess.run(["xdotool", "key", "Return"], check=True)
    wait_for(lambda: not window_ids("^警告$"), what="the message to close")
    wait_for(prompt_visible, timeout=5.0, what="the prompt to stay open after a wrong password")
    activate(existing_window("^密码$"))
    subprocess.run(["xdotool", "key", "Escape"], check=True)
    wait_for(lambda: not prompt_visible(), what="the prompt to close on Cancel")

    check(session.hotkey_free(3, 65), "no hotkey is registered after Cancel")
    session.press("ctrl+alt+a")
    session.wait_for_events(lambda e: "down 65" in e, what="Ctrl+Alt+A to reach the target as keys")
    check(count_lines(marker) == 0, "the protected entry's batch file did not run")
    check(session.program_running(), "the program still runs with no scheme")


if __name__ == "__main__":
    run_selected(right_password_opens_the_scheme, wrong_password_then_cancel_registers_nothing,
                 prompt_that_lost_the_foreground_still_takes_the_password)
