# Sourced by the run and test scripts: a Wine prefix inside the build folder
# and a display to show windows on. Usage: source scripts/wine-env.sh BUILD_DIR
#
# Sets WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES, LANG and DISPLAY. When there
# is no display, starts a virtual one (Xvfb) with a window manager and says so.
#
# Tests that ctest runs side by side each hold a lane (the ctest resource
# "lane", see scripts/test.sh): a virtual display, window manager, Wine
# prefix and wineserver of its own, so that one test's windows, focus,
# clipboard and hotkeys never meet another's. Lane 0 is the build folder's
# own display and prefix, the one used outside ctest too.

tav_build_dir=$(cd "${1:?usage: source wine-env.sh BUILD_DIR}" && pwd)
tav_lane=0
# ctest names the lane it allocated as "id:N,slots:1".
if [ -n "${CTEST_RESOURCE_GROUP_0_LANE:-}" ]; then
  tav_lane=${CTEST_RESOURCE_GROUP_0_LANE#id:}
  tav_lane=${tav_lane%%,*}
fi

# tav_lane_dir LANE: where a lane keeps its display's number and its prefix.
tav_lane_dir() {
  if [ "$1" = 0 ]; then echo "$tav_build_dir"; else echo "$tav_build_dir/lanes/$1"; fi
}

tav_lane_home=$(tav_lane_dir "$tav_lane")
mkdir -p "$tav_lane_home"
export WINEPREFIX="$tav_lane_home/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
# A Chinese locale, so that Wine's ANSI code page is 936 as on a Chinese Windows.
export LANG=zh_CN.UTF-8
export LC_ALL=zh_CN.UTF-8

# Wine waits up to 2 s at every hidden top-level window for a window manager
# to withdraw it (winex11's wait_for_withdrawn_state): without one, every
# closed dialog costs those 2 s. fvwm with the styles Wine's own test runs
# use (Motif decoration hints honoured, the program's positions kept), and
# focus as Windows gives it: a clicked window gets it, wherever the pointer
# rests, and a new window only when the program activates it (Windows' own
# foreground rules keep a window shown without activation from taking the
# keyboard; fvwm would otherwise hand every new window the focus).
tav_window_manager_runs() {
  local id
  id=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | sed -n 's/.*window id # //p')
  [ -n "$id" ] && xprop -id "$id" _NET_SUPPORTING_WM_CHECK >/dev/null 2>&1
}

tav_start_window_manager() {
  tav_window_manager_runs && return 0
  local manager
  for _ in 1 2 3; do
    fvwm -f /dev/null -c "Style * MwmDecor" -c "Style * UsePPosition" -c "Style * ClickToFocus" -c "Style * !FPGrabFocus, !FPGrabFocusTransient" \
      </dev/null >"$tav_lane_home/window-manager.log" 2>&1 9>&- &
    manager=$!
    echo "$manager" >"$tav_lane_home/.window-manager-pid"
    for _ in $(seq 1 100); do
      tav_window_manager_runs && return 0
      kill -0 "$manager" 2>/dev/null || break
      sleep 0.1
    done
    kill "$manager" 2>/dev/null
  done
  echo "The window manager (fvwm) did not start on $DISPLAY:" >&2
  cat "$tav_lane_home/window-manager.log" >&2
  return 1
}

tav_start_virtual_display() {
  # Lane 0 uses the display there is; the other lanes always have their own.
  if [ "$tav_lane" = 0 ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  # The virtual display started for this lane before, while its server runs
  # (not another one that took its number since): one per lane, not one per
  # shell that sources this file.
  local saved="$tav_lane_home/.virtual-display" server="$tav_lane_home/.virtual-display-pid"
  if [ -f "$saved" ] && { [ ! -f "$server" ] || kill -0 "$(cat "$server")" 2>/dev/null; } &&
    DISPLAY=$(cat "$saved") xdpyinfo >/dev/null 2>&1; then
    DISPLAY=$(cat "$saved")
    export DISPLAY
    tav_start_window_manager
    return
  fi
  # Xvfb chooses a free display number itself and writes it to the pipe, so
  # that two builds starting displays at once never pick the same one.
  local pipe number=""
  pipe=$(mktemp -u "$tav_lane_home/.display-pipe.XXXXXX")
  mkfifo "$pipe"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$pipe" </dev/null >/dev/null 2>&1 9>&- &
  export TAV_XVFB_PID=$!
  read -r -t 20 number <"$pipe"
  rm -f "$pipe"
  if [ -z "$number" ]; then
    kill "$TAV_XVFB_PID" 2>/dev/null
    unset TAV_XVFB_PID
    echo "Could not start a virtual display." >&2
    return 1
  fi
  export DISPLAY=":$number"
  echo "$DISPLAY" >"$saved"
  echo "$TAV_XVFB_PID" >"$server"
  echo "No display found: started a virtual display (Xvfb) on $DISPLAY."
  tav_start_window_manager
}

# tav_init_wine_prefix PREFIX: a ready prefix, lane 0's made by Wine, the
# other lanes' copied from it (a copy takes seconds, an initialisation 10 to
# 40 s).
tav_init_wine_prefix() {
  local prefix=$1
  [ -f "$prefix/.tavrelin-ready" ] && return 0
  local first
  first="$(tav_lane_dir 0)/wineprefix"
  if [ "$prefix" != "$first" ]; then
    (
      exec 9>"$(tav_lane_dir 0)/.lane-lock"
      flock 9
      WINEPREFIX=$first tav_init_wine_prefix "$first"
    ) || return 1
    rm -rf "$prefix"
    cp -a "$first" "$prefix"
    return 0
  fi
  echo "Initialising a Wine prefix in $prefix (takes a while once)..."
  mkdir -p "$prefix"
  wineboot --init >/dev/null 2>&1 9>&-
  wineserver --wait
  # Chinese text needs a CJK font in place of 宋体/SimSun.
  local name
  for name in SimSun 宋体 NSimSun; do
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$name" /d 'WenQuanYi Zen Hei' /f >/dev/null 2>&1 9>&-
  done
  wineserver --wait
  touch "$prefix/.tavrelin-ready"
}

# tav_prepare_lanes COUNT LANES_FILE: lanes 0 to COUNT-1 ready before a test
# run (their prefixes copied while nothing runs in lane 0's), each with a
# wineserver that stays between the run's short tests instead of starting
# anew, with Wine's own processes, for each one (seconds a start); and the
# ctest resource file that hands the lanes out.
tav_prepare_lanes() {
  local count=$1 lanes_file=$2 lane ids=""
  for lane in $(seq 0 $((count - 1))); do
    (
      export CTEST_RESOURCE_GROUP_0_LANE="id:$lane,slots:1"
      # shellcheck source=/dev/null
      source "${BASH_SOURCE[0]}" "$tav_build_dir" >/dev/null &&
        { wineserver -p300 </dev/null >/dev/null 2>&1 || true; }
    ) || return 1
    ids="$ids${ids:+, }{\"id\": \"$lane\", \"slots\": 1}"
  done
  printf '{"version": {"major": 1, "minor": 0}, "local": [{"lane": [%s]}]}\n' "$ids" >"$lanes_file"
}

# tav_stop_lanes: ends the wineservers of every lane of the build folder and
# the virtual displays of lanes 1 and up (lane 0's display stays for the
# shell that started it to end).
tav_stop_lanes() {
  local home
  for home in "$(tav_lane_dir 0)" "$tav_build_dir"/lanes/*; do
    [ -d "$home/wineprefix" ] && WINEPREFIX="$home/wineprefix" wineserver -k 2>/dev/null
    [ "$home" = "$(tav_lane_dir 0)" ] && continue
    [ -f "$home/.virtual-display-pid" ] && kill "$(cat "$home/.virtual-display-pid")" 2>/dev/null
    rm -f "$home/.virtual-display" "$home/.virtual-display-pid" "$home/.window-manager-pid"
  done
  return 0
}

# One shell at a time sets a lane up: tests that start together must not
# start two displays or initialise one prefix twice.
exec 9>"$tav_lane_home/.lane-lock"
flock 9
tav_start_virtual_display && tav_init_wine_prefix "$WINEPREFIX"
tav_status=$?
flock -u 9
exec 9>&-
return "$tav_status"
