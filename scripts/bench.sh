#!/usr/bin/env bash
# Footprint benchmark: builds tavrelin.exe, the floor program and the probe,
# then measures both programs side by side under Wine and prints each figure
# with the floor's beside it and the ratio, followed by the size table of
# the release executable. TAV_IDLE_SECONDS, TAV_PRESSES and TAV_STARTS
# shorten a run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
bash scripts/fetch-mingw-deps.sh build/windows
cmake --preset windows >/dev/null
cmake --build --preset windows --target tavrelin tavrelin_floor tavrelin_probe tavctl
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh build/windows
echo "Machine: $(nproc) cores, $(free -g | awk 'NR == 2 {print $2}') GiB, $(wine --version)"
TAV_BUILD_DIR="$root/build/windows" python3 tests/bench/footprint.py
python3 scripts/size-table.py build/windows
