#!/usr/bin/env bash
# Builds tavrelin.exe and starts it under Wine in a program directory made
# from sample/ (build/windows/program). Without a display it starts a virtual
# one and says so. The program lives in the notification area: its default
# scheme binds Ctrl+Alt+N to Notepad, Ctrl+Alt+S shows the main window.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh
bash scripts/fetch-mingw-deps.sh build/windows
cmake --preset windows >/dev/null
cmake --build --preset windows --target tavrelin

program=build/windows/program
mkdir -p "$program"
cp -n -r sample/. "$program"/ 2>/dev/null || true
cp build/windows/app/tavrelin.exe "$program"/

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh build/windows
echo "Starting Tavrelin from $program on display $DISPLAY (end it with its tray menu item 退出)."
cd "$program"
exec wine tavrelin.exe
