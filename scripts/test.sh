#!/usr/bin/env bash
# Builds everything and runs every test: the native unit tests (with
# sanitizers), the threaded ones again under ThreadSanitizer, a short run of
# every fuzz target, then the Win32 and end-to-end tests under Wine.
#
# The Windows stage runs beside the other three: its tests mostly wait for
# windows and Wine, so they take little from the builds, and the builds run
# at a lower priority so that the tests' windows answer in time. The other
# stages print as they go; the Windows stage's output follows whole when it
# has ended. Every stage's time is listed at the end.
#
# TAV_WINE_LANES (default 2): how many Wine tests run at once, each on a
# display and in a Wine prefix of its own.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
set -e
bash scripts/install-deps.sh
bash scripts/fetch-mingw-deps.sh build/windows
set +e

lanes=${TAV_WINE_LANES:-2}
build="nice -n 10 cmake --build"
started=$SECONDS
times=()

# stage_time NAME SINCE: notes how long a stage took.
stage_time() {
  local seconds=$((SECONDS - $2))
  times+=("$(printf '  %-48s %2dm%02ds' "$1" $((seconds / 60)) $((seconds % 60)))")
}

windows_stage() {
  echo "== Windows build, Win32 and end-to-end tests under Wine"
  local since=$SECONDS status=0
  if cmake --preset windows >/dev/null && $build --preset windows; then
    echo "-- Windows build took $((SECONDS - since)) s"
    # shellcheck source=scripts/wine-env.sh
    source scripts/wine-env.sh build/windows &&
      tav_prepare_lanes "$lanes" build/windows/wine-lanes.json || status=1
    if [ $status -eq 0 ]; then
      # The lanes file written above hands the lanes out (the preset names it).
      ctest --preset windows-lanes -j "$lanes" || status=1
    fi
    tav_stop_lanes
    [ -n "${TAV_XVFB_PID:-}" ] && kill "$TAV_XVFB_PID" 2>/dev/null
  else
    status=1
  fi
  return $status
}

status=0
windows_log=build/windows-stage.log
mkdir -p build
windows_since=$SECONDS
# Its own shell, so that the Wine environment stays out of the other stages.
(windows_stage >"$windows_log" 2>&1; echo "$? $((SECONDS - windows_since))" >"$windows_log.status") &
windows_pid=$!
echo "== The Windows stage runs beside the others; its output follows at the end ($windows_log)."

echo "== Native build and unit tests"
since=$SECONDS
if cmake --preset linux >/dev/null && $build --preset linux; then
  ctest --preset linux || status=1
else
  status=1
fi
stage_time "Native build and unit tests" $since

echo "== Script threads and run control under ThreadSanitizer"
since=$SECONDS
if cmake --preset tsan >/dev/null && $build --preset tsan; then
  ctest --preset tsan -R "Script|Action|Stress|SendKeys|SystemOperations|HotkeyService|PasteText|OverlappingRuns" || status=1
else
  status=1
fi
stage_time "ThreadSanitizer build and tests" $since

echo "== Fuzz targets: a short run of each over its corpus (clang, libFuzzer)"
since=$SECONDS
if bash scripts/fetch-fuzz-deps.sh build/fuzz && cmake --preset fuzz >/dev/null &&
  $build --preset fuzz; then
  # Targets with known open findings are run by hand (docs/reliability.md).
  ctest --preset fuzz -LE open-findings || status=1
else
  status=1
fi
stage_time "Fuzz build and smoke runs" $since

wait "$windows_pid"
cat "$windows_log"
read -r windows_status windows_seconds <"$windows_log.status" || windows_status=1
[ "${windows_status:-1}" -eq 0 ] || status=1
times+=("$(printf '  %-48s %2dm%02ds' "Windows build, Win32 and end-to-end tests" \
  $((${windows_seconds:-0} / 60)) $((${windows_seconds:-0} % 60)))")
stage_time "All (the Windows stage beside the others)" $started

echo "== Times"
printf '%s\n' "${times[@]}"
[ $status -eq 0 ] && echo "All tests passed." || echo "Some tests FAILED."
exit $status
