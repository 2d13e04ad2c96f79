"""Size of the release tavrelin.exe by component, from the linker's map file
(sections loaded into memory only; debug sections are not counted), and the
size of the stripped executable beside its target. Given a second build
folder, made without the script editor (preset windows-noeditor), also the
size of that executable beside its own target.
Usage: size-table.py BUILD_DIR [NO_EDITOR_BUILD_DIR]"""

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
    # With link-time optimisation our code comes out of the link's own
    # partitions (ltrans); the libraries of others are not built for it.
    ("own code", re.compile(r"libtavrelin_|Main\.cpp\.obj|\.res$|tavrelin\.rc|ltrans")),
    ("C++ runtime and C library", re.compile(r".")),
]


# Stripped sizes the executable must stay within, in MB of 10^6 bytes.
TARGET_MB = 2.0
TARGET_WITHOUT_EDITOR_MB = 1.2


def stripped_size(build_dir):
    exe = os.path.join(build_dir, "app", "tavrelin.exe")
    with tempfile.TemporaryDirectory() as folder:
        stripped = os.path.join(folder, "tavrelin.exe")
        subprocess.run(["x86_64-w64-mingw32-strip", "-o", stripped, exe], check=True)
        return os.path.getsize(stripped)


def size_line(label, size, target_mb):
    verdict = "within" if size <= target_mb * 1e6 else "OVER"
    return "%-32s %10.1f  (%.2f MB; target %.1f MB: %s)" % (label, size / 1024, size / 1e6,
                                                           target_mb, verdict)


def main(build_dir, no_editor_dir=None):
    map_path = os.path.join(build_dir, "app", "tavrelin.map")
    sizes = collections.Counter()
    lines = open(map_path, errors="replace").read().split("\n")
    # What the linker left out is listed first, under "Discarded input
    # sections"; only what follows "Linker script and memory map" is in the
    # executable.
    placed = lines.index("Linker script and memory map") + 1
    for line in lines[placed:]:
        m = re.match(r"^ (\.[\w.$]+)?\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$", line)
        if not m or (m.group(1) or "").startswith(".debug"):
            continue
        source = m.group(3).strip()
        archive = re.search(r"([^/\\]+\.a)\(", source)
        name = archive.group(1) if archive else os.path.basename(source)
        component = next(label for label, pattern in COMPONENTS if pattern.search(name))
        sizes[component] += int(m.group(2), 16)
    print("%-32s %10s" % ("component of tavrelin.exe", "KiB"))
    for label, _ in COMPONENTS:
        print("%-32s %10.1f" % (label, sizes[label] / 1024))
    print("%-32s %10.1f" % ("sum of linked sections", sum(sizes.values()) / 1024))
    print(size_line("stripped executable", stripped_size(build_dir), TARGET_MB))
    if no_editor_dir:
        print(size_line("same, without script editor", stripped_size(no_editor_dir),
                        TARGET_WITHOUT_EDITOR_MB))


if __name__ == "__main__":
    main(*sys.argv[1:3])
