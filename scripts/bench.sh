#!/usr/bin/env bash
# Footprint benchmark: builds tavrelin.exe, the floor program and the probe,
# then measures both programs side by side under Wine and prints each figure
# with the floor's beside it and the ratio, followed by the size table of
# the release executable and the size of the same executable built without
# the script editor, each beside its target. TAV_IDLE_SECONDS, TAV_PRESSES
# and TAV_STARTS shorten a run. With the argument "conditions" it measures
# instead what entries limited to some programs cost (tests/bench/conditions.py).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
bash scripts/fetch-mingw-deps.sh build/windows
cmake --preset windows >/dev/null
cmake --build --preset windows --target tavrelin tavrelin_floor tavrelin_floor_controls tavrelin_probe tavctl
if [ "${1:-}" = conditions ]; then
  # shellcheck source=scripts/wine-env.sh
  source scripts/wine-env.sh build/windows
  TAV_BUILD_DIR="$root/build/windows" python3 tests/bench/conditions.py
  exit
fi
# The same program without the script editor's text control, measured only.
if [ ! -d build/windows-noeditor/deps ]; then
  mkdir -p build/windows-noeditor
  cp -a build/windows/deps build/windows-noeditor/
fi
bash scripts/fetch-mingw-deps.sh build/windows-noeditor
cmake --preset windows-noeditor >/dev/null
cmake --build --preset windows-noeditor
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh build/windows
echo "Machine: $(nproc) cores, $(free -g | awk 'NR == 2 {print $2}') GiB, $(wine --version)"
TAV_BUILD_DIR="$root/build/windows" python3 tests/bench/footprint.py
python3 scripts/size-table.py build/windows build/windows-noeditor
