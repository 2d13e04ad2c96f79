#!/usr/bin/env bash
# Runs a command with the Wine environment of a build folder (prefix, locale,
# display). Usage: with-wine.sh BUILD_DIR COMMAND [ARGS...]
set -euo pipefail
build_dir=$1
shift
# shellcheck source=scripts/wine-env.sh
source "$(dirname "$0")/wine-env.sh" "$build_dir" >&2
exec "$@"
