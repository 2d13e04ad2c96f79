"""Rewrites a zip so that its names read right in Explorer on a Chinese
Windows 7, 10 and 11: each name is stored in code page 936 without the
UTF-8 flag (Explorer on Windows 7 ignores the flag and reads names in the
system's OEM code page, 936 on a Chinese system), with the Info-ZIP Unicode
Path extra field beside it, which carries the UTF-8 name for tools that read
it (7-Zip, Info-ZIP's unzip) on a system of any other locale.

Usage: python3 ZipNamesForExplorer.py PACKAGE.zip"""

import os
import struct
import sys
import zipfile
import zlib

UNICODE_PATH_FIELD = 0x7075
MADE_ON_FAT = 0  # names in the OEM code page, as Windows' own zips have them


class Cp936Name(zipfile.ZipInfo):
    """An entry whose name goes out in code page 936, never as UTF-8."""

    __slots__ = ()

    def _encodeFilenameFlags(self):
        return self.filename.encode("cp936"), self.flag_bits & ~0x800


def unicode_path_field(name):
    legacy = name.encode("cp936")
    utf8 = name.encode("utf-8")
    body = struct.pack("<BI", 1, zlib.crc32(legacy)) + utf8
    return struct.pack("<HH", UNICODE_PATH_FIELD, len(body)) + body


def rewrite(path):
    rewritten = path + ".936"
    with zipfile.ZipFile(path) as source, zipfile.ZipFile(rewritten, "w") as target:
        for entry in source.infolist():
            info = Cp936Name(entry.filename, entry.date_time)
            info.compress_type = zipfile.ZIP_DEFLATED if not entry.is_dir() else zipfile.ZIP_STORED
            info.create_system = MADE_ON_FAT
            info.external_attr = 0x10 if entry.is_dir() else 0x20  # directory / archive
            if any(ord(c) > 127 for c in entry.filename):
                info.extra = unicode_path_field(entry.filename)
            target.writestr(info, source.read(entry))
    os.replace(rewritten, path)


if __name__ == "__main__":
    for package in sys.argv[1:]:
        rewrite(package)
