#!/usr/bin/env bash
# Runs one fuzz target over its seed corpus and its findings for a while:
#   run-fuzz.sh TARGET_BINARY NAME SECONDS WORK_FOLDER [DICTIONARY] [libFuzzer options...]
# New inputs go to WORK_FOLDER/NAME (emptied first), crashes to
# WORK_FOLDER/NAME-artifacts. Fails when the target finds a fault.
set -euo pipefail
binary=$1 name=$2 seconds=$3 work=$4
shift 4
here=$(cd "$(dirname "$0")" && pwd)
options=()
if [ $# -gt 0 ] && [ -f "$1" ]; then
  options+=("-dict=$1")
  shift
fi
rm -rf "${work:?}/$name"
mkdir -p "$work/$name" "$work/$name-artifacts"
corpora=("$work/$name" "$here/corpus/$name")
[ -d "$here/findings/$name" ] && corpora+=("$here/findings/$name")
exec nice -n 19 "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$work/$name-artifacts/" "${options[@]}" "$@" "${corpora[@]}"
