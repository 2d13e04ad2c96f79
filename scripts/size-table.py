"""Size of the release tavrelin.exe by component, from the linker's map file
(sections loaded into memory only; debug sections are not counted), and the
size of the stripped executable. Usage: size-table.py BUILD_DIR"""

import collections
import os
import re
import subprocess
import sys
import tempfile

COMPONENTS = [
    ("editor component (Scintilla)", re.compile(r"scintilla|lexilla", re.I)),
    ("libjpeg", re.compile(r"libjpeg|libturbojpeg", re.I)),
    ("pugixml", re.compile(r"libpugixml", re.I)),
    ("own code", re.compile(r"libtavrelin_|Main\.cpp\.obj|\.res$|tavrelin\.rc")),
    ("C++ runtime and C library", re.compile(r".")),
]


def main(build_dir):
    map_path = os.path.join(build_dir, "app", "tavrelin.map")
    exe = os.path.join(build_dir, "app", "tavrelin.exe")
    sizes = collections.Counter()
    for line in open(map_path, errors="replace"):
        m = re.match(r"^ (\.[\w.$]+)?\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$", line)
        if not m or (m.group(1) or "").startswith(".debug"):
            continue
        source = m.group(3).strip()
        archive = re.search(r"([^/\\]+\.a)\(", source)
        name = archive.group(1) if archive else os.path.basename(source)
        component = next(label for label, pattern in COMPONENTS if pattern.search(name))
        sizes[component] += int(m.group(2), 16)
    with tempfile.TemporaryDirectory() as folder:
        stripped = os.path.join(folder, "tavrelin.exe")
        subprocess.run(["x86_64-w64-mingw32-strip", "-o", stripped, exe], check=True)
        stripped_size = os.path.getsize(stripped)
    print("%-32s %10s" % ("component of tavrelin.exe", "KiB"))
    for label, _ in COMPONENTS:
        print("%-32s %10.1f" % (label, sizes[label] / 1024))
    print("%-32s %10.1f" % ("sum of linked sections", sum(sizes.values()) / 1024))
    print("%-32s %10.1f  (%.2f MB)" % ("stripped executable", stripped_size / 1024,
                                       stripped_size / 1e6))


if __name__ == "__main__":
    main(sys.argv[1])
