#!/usr/bin/env bash
# Runs a command with Wine's display DPI set to $1 (96 is 100%), named in
# TAV_TEST_DPI, then sets 96 again. Usage: run-at-dpi.sh DPI COMMAND [ARGS...]
set -u
dpi=$1
shift
set_dpi() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}
trap 'set_dpi 96' EXIT
set_dpi "$dpi"
TAV_TEST_DPI=$dpi "$@"
