# Sourced by the run and test scripts: a Wine prefix inside the build folder
# and a display to show windows on. Usage: source scripts/wine-env.sh BUILD_DIR
#
# Sets WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES, LANG and DISPLAY. When there
# is no display, starts a virtual one (Xvfb) and says so.

tav_build_dir=$(cd "${1:?usage: source wine-env.sh BUILD_DIR}" && pwd)
export WINEPREFIX="$tav_build_dir/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
# A Chinese locale, so that Wine's ANSI code page is 936 as on a Chinese Windows.
export LANG=zh_CN.UTF-8
export LC_ALL=zh_CN.UTF-8

tav_start_virtual_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  # The virtual display started for this build folder before, while it runs:
  # one per build folder, not one per shell that sources this file.
  local saved="$tav_build_dir/.virtual-display"
  if [ -f "$saved" ] && DISPLAY=$(cat "$saved") xdpyinfo >/dev/null 2>&1; then
    DISPLAY=$(cat "$saved")
    export DISPLAY
    return 0
  fi
  local number tries
  for number in $(seq 99 -1 50); do
    [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ] && continue
    Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    export TAV_XVFB_PID=$!
    export DISPLAY=":$number"
    for tries in $(seq 1 50); do
      xdpyinfo >/dev/null 2>&1 && break
      sleep 0.1
    done
    if xdpyinfo >/dev/null 2>&1; then
      echo "No display found: started a virtual display (Xvfb) on $DISPLAY."
      echo "$DISPLAY" >"$saved"
      return 0
    fi
    kill "$TAV_XVFB_PID" 2>/dev/null
  done
  echo "Could not start a virtual display." >&2
  return 1
}

tav_init_wine_prefix() {
  if [ -f "$WINEPREFIX/.tavrelin-ready" ]; then
    return 0
  fi
  echo "Initialising a Wine prefix in $WINEPREFIX (takes a while once)..."
  mkdir -p "$WINEPREFIX"
  wineboot --init >/dev/null 2>&1
  wineserver --wait
  # Chinese text needs a CJK font in place of 宋体/SimSun.
  local name
  for name in SimSun 宋体 NSimSun; do
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$name" /d 'WenQuanYi Zen Hei' /f >/dev/null 2>&1
  done
  wineserver --wait
  touch "$WINEPREFIX/.tavrelin-ready"
}

tav_start_virtual_display && tav_init_wine_prefix
