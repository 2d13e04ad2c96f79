#!/usr/bin/env bash
# Builds the portable package and starts Tavrelin under Wine from its
# unpacked layout (build/windows/portable/Tavrelin-<version>-win64). Files
# the program writes there (set.ini, new schemes) survive the next run; the
# program file is replaced by the new build. Without a display it starts a
# virtual one, shows the main window and saves a screenshot of it, since
# nothing would be visible otherwise.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh
bash scripts/fetch-mingw-deps.sh build/windows
cmake --preset windows >/dev/null
cmake --build --preset windows --target tavrelin tavctl
(cd build/windows && cpack -G ZIP --config CPackConfig.cmake -B package-run >/dev/null)

python3 - <<'PY'
import glob, os, zipfile
package = sorted(glob.glob("build/windows/package-run/Tavrelin-*-win64.zip"))[-1]
with zipfile.ZipFile(package) as z:
    for item in z.infolist():
        target = os.path.join("build/windows/portable", item.filename)
        # The program is always the new one; what the user changed stays.
        if item.filename.endswith("tavrelin.exe") or not os.path.exists(target):
            z.extract(item, "build/windows/portable")
PY
program=$(ls -d build/windows/portable/Tavrelin-*-win64 | tail -n 1)

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh build/windows
echo "Starting Tavrelin from $program on display $DISPLAY (end it with its tray menu item 退出)."
cd "$program"
if [ -z "${TAV_XVFB_PID:-}" ]; then
  exec wine tavrelin.exe
fi

# A virtual display: show the main window and save what it looks like.
tavctl="$root/build/windows/tests/e2e/tavctl.exe"
wine tavrelin.exe &
program_pid=$!
for _ in $(seq 1 100); do
  wine "$tavctl" running 2>/dev/null && break
  sleep 0.2
done
# The tray menu's 显示主窗体, its number read from the program's resource header.
show_command=$(awk '$2 == "IDM_TRAY_SHOW" {print $3}' "$root/res/resource.h")
wine "$tavctl" command "$show_command" 2>/dev/null || true
shown=no
for _ in $(seq 1 50); do
  if wine "$tavctl" visible 2>/dev/null; then
    shown=yes
    break
  fi
  sleep 0.2
done
screenshot="$root/build/windows/screenshot.png"
import -window root "$screenshot"
if [ "$shown" = yes ]; then
  echo "No display was found: the main window is shown on the virtual display $DISPLAY;"
else
  echo "No display was found, and the main window did not appear on the virtual display $DISPLAY;"
fi
echo "its screenshot is saved as $screenshot. Press Ctrl+C to end the program."
wait "$program_pid"
