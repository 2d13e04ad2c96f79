#!/usr/bin/env bash
# Runs a command with the Wine environment of a build folder (prefix, locale,
# display). Usage: with-wine.sh BUILD_DIR COMMAND [ARGS...]
#
# Under ctest with a lane allocated (scripts/test.sh), the command has its
# lane to itself. Without one, commands of the same build folder take turns
# on lane 0, so that tests run by a plain `ctest -j` never share a display.
set -euo pipefail
# A step that fails says which, so that a test ending without output still
# tells why.
trap 'echo "with-wine.sh: \"$BASH_COMMAND\" failed with status $? (line $LINENO)" >&2' ERR
build_dir=$1
shift
# shellcheck source=scripts/wine-env.sh
source "$(dirname "$0")/wine-env.sh" "$build_dir" >&2

run() {
  if [ -n "${CTEST_RESOURCE_GROUP_0_LANE:-}" ]; then
    "$@"
  else
    # --close: the programs the command leaves running (the wineserver) must
    # not hold the turn after it ends.
    flock --close "$tav_lane_home/.lane-busy" "$@"
  fi
}

if [ -t 1 ]; then
  run "$@"
  exit
fi
# Read by another program (ctest): the output goes through files. Wine's own
# processes that the command starts (the desktop, services) outlive it while
# the lane's wineserver stays, and a pipe they held would keep the reader
# waiting for as long.
output=$(mktemp)
errors=$(mktemp)
trap 'rm -f "$output" "$errors"' EXIT
status=0
run "$@" >"$output" 2>"$errors" </dev/null || status=$?
cat "$output"
cat "$errors" >&2
[ $status -eq 0 ] || echo "with-wine.sh: $1 ended with status $status" >&2
exit $status
