"""The portable package: the zip made by CPack is unpacked into a folder
whose path holds spaces and Chinese characters, the program starts there
with the shipped files, and a sample hotkey of the shipped default scheme
(Ctrl+Alt+S, show the main window) works."""

import os
import shutil
import zipfile

from harness import BUILD_DIR, Session, check, run_selected, wait_for

PACKAGE = os.path.join(BUILD_DIR, "package-test", "Tavrelin-%s-win64.zip" %
                       os.environ.get("TAV_VERSION", "4.6.0"))


class PackageSession(Session):
    """A session whose program directory is the unpacked package."""

    def __init__(self, name):
        super().__init__(name)
        shutil.rmtree(self.dir)
        unpacked = os.path.join(BUILD_DIR, "e2e-work", name, "便携 程序 folder")
        with zipfile.ZipFile(PACKAGE) as package:
            package.extractall(unpacked)
        (top,) = os.listdir(unpacked)
        self.dir = os.path.join(unpacked, top)
        self.target_log = os.path.join(self.dir, "target.log")


def unpacked_program_shows_its_window_on_the_sample_hotkey(session):
    for shipped in ("tavrelin.exe", "hotkey.xml", "说明.txt", os.path.join("Data", "常用网站.xml"),
                    os.path.join("Script", "示例.tsc")):
        check(os.path.isfile(session.path(shipped)), "the package holds " + shipped)
    session.start_target()
    session.start_program()
    check(session.tavctl("visible") != 0, "the program starts hidden")
    session.press("ctrl+alt+s")
    wait_for(lambda: session.tavctl("visible") == 0, what="the main window after Ctrl+Alt+S")


if __name__ == "__main__":
    run_selected(unpacked_program_shows_its_window_on_the_sample_hotkey,
                 session_class=PackageSession)
