"""The portable package: the zip made by CPack holds exactly the shipped
files, under names that Explorer reads right on a Chinese Windows 7, 10 and
11; unpacked into a folder whose path holds spaces and Chinese characters,
the program starts there with the shipped files, and a sample hotkey of the
shipped default scheme (Ctrl+Alt+S, show the main window) works."""

import os
import shutil
import struct
import zipfile
import zlib

from harness import BUILD_DIR, Session, check, run_selected, wait_for

PACKAGE = os.path.join(BUILD_DIR, "package-test", "Tavrelin-%s-win64.zip" %
                       os.environ.get("TAV_VERSION", "4.6.0"))


TOP = "Tavrelin-%s-win64/" % os.environ.get("TAV_VERSION", "4.6.0")
SHIPPED = sorted(TOP + name for name in (
    "tavrelin.exe", "hotkey.xml", "说明.txt", "帮助.chm",
    "Data/", "Data/常用网站.xml", "Script/", "Script/示例.tsc"))
UTF8_FLAG = 0x800
UNICODE_PATH_FIELD = 0x7075


def central_directory(path):
    """(flags, name bytes, extra fields by id) of each central directory entry."""
    data = open(path, "rb").read()
    entries = []
    at = data.find(b"PK\x01\x02")
    while at >= 0:
        flags, = struct.unpack_from("<H", data, at + 8)
        name_size, extra_size, comment_size = struct.unpack_from("<HHH", data, at + 28)
        name = data[at + 46:at + 46 + name_size]
        extra, fields = data[at + 46 + name_size:at + 46 + name_size + extra_size], {}
        while len(extra) >= 4:
            field, size = struct.unpack_from("<HH", extra)
            fields[field] = extra[4:4 + size]
            extra = extra[4 + size:]
        entries.append((flags, name, fields))
        at = data.find(b"PK\x01\x02", at + 46 + name_size + extra_size + comment_size)
    return entries


class PackageSession(Session):
    """A session whose program directory is the unpacked package."""

    def __init__(self, name):
        super().__init__(name)
        shutil.rmtree(self.dir)
        unpacked = os.path.join(BUILD_DIR, "e2e-work", name, "便携 程序 folder")
        with zipfile.ZipFile(PACKAGE, metadata_encoding="cp936") as package:
            package.extractall(unpacked)
        (top,) = os.listdir(unpacked)
        self.dir = os.path.join(unpacked, top)
        self.target_log = os.path.join(self.dir, "target.log")


def package_holds_the_shipped_files_under_names_explorer_reads(session):
    entries = central_directory(PACKAGE)
    names = sorted(name.decode("cp936", "replace") for _, name, _ in entries)
    check(names == SHIPPED, "the package holds exactly the shipped files: %r" % names)
    for flags, name, fields in entries:
        # Explorer on Windows 7 ignores the UTF-8 flag and reads code page 936.
        check(not flags & UTF8_FLAG, "%r is stored without the UTF-8 flag" % name)
        if max(name) < 0x80:
            continue
        unicode_path = fields.get(UNICODE_PATH_FIELD, b"")
        check(unicode_path[:1] == b"\x01"
              and struct.unpack_from("<I", unicode_path, 1)[0] == zlib.crc32(name)
              and unicode_path[5:].decode("utf-8") == name.decode("cp936"),
              "%r carries its UTF-8 name in the Unicode path field" % name)
    # The help file's language, read by the viewer to draw its contents tree.
    with zipfile.ZipFile(PACKAGE, metadata_encoding="cp936") as package:
        header = package.read(TOP + "帮助.chm")[:0x18]
    check(header[:4] == b"ITSF" and struct.unpack_from("<I", header, 0x14)[0] == 0x0804,
          "the help file is in Simplified Chinese (LCID 0x0804)")


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
    run_selected(package_holds_the_shipped_files_under_names_explorer_reads,
                 unpacked_program_shows_its_window_on_the_sample_hotkey,
                 session_class=PackageSession)
