#!/usr/bin/env bash
# Starts quorix-net-check.exe under Wine on a private Xvfb screen inside a
# private network namespace with loopback only: the default rows name public
# hosts, and Wine's sockets are made by its wineserver, so the wineserver of
# the prefix is started in here too (a prefix of this test's own, never one
# served from outside). Checks that the window with the exact title appears,
# that its lists hold the default rows, and that Esc ends the program.
#
# Usage: wine_startup_test.sh QUORIX_EXE LISTS_CHECK_EXE
# QNC_WINE_GUI_PREFIX: the Wine prefix (made on first use, kept for later runs).
# QNC_WINE_SCREENSHOT: when set, a command that takes the screen's picture
#   (run with DISPLAY set) once the window has had a few seconds to settle.
# Exit status 77: skipped (not root, or a tool is missing).
set -euo pipefail
exe=$(realpath "$1")
check=$(realpath "$2")
prefix=${QNC_WINE_GUI_PREFIX:-$(dirname "$exe")/wineprefix-gui}

if [[ $(id -u) -ne 0 ]]; then
  echo "skipped: needs root for a private network namespace"
  exit 77
fi
for tool in wine wineserver Xvfb xdotool unshare ip timeout; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done

export QNC_EXE="$exe" QNC_CHECK="$check" WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exec unshare --net bash -euo pipefail -c '
  ip link set lo up
  work=$(mktemp -d)
  xvfb=""
  cleanup() {
    timeout 20 wineserver -k 2>/dev/null || true
    [[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
  }
  trap cleanup EXIT

  # A wineserver of this prefix left from elsewhere would make the sockets
  # outside this namespace: end it before anything starts one in here.
  timeout 20 wineserver -k 2>/dev/null || true

  display=:$((90 + RANDOM % 100))
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do [[ -S /tmp/.X11-unix/X${display#:} ]] && break; sleep 0.1; done
  export DISPLAY=$display

  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    timeout 180 wineboot --init >/dev/null 2>&1
  fi
  # The dialogs name "MS Shell Dlg"; without a CJK face behind it the Chinese
  # texts show as boxes.
  for face in "MS Shell Dlg" "MS Shell Dlg 2"; do
    timeout 60 wine reg add "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes" \
      /v "$face" /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1
  done

  timeout 120 wine "$QNC_EXE" >"$work/app.log" 2>&1 &
  app=$!

  title="Quorix路由测试工具"
  window=""
  for _ in $(seq 300); do
    window=$(xdotool search --name "^${title}\$" 2>/dev/null | head -n1 || true)
    [[ -n $window ]] && break
    kill -0 "$app" 2>/dev/null || break
    sleep 0.1
  done
  if [[ -z $window ]]; then
    echo "FAIL: no window titled $title"
    cat "$work/app.log"
    exit 1
  fi
  echo "window $window titled $title"

  status=0
  timeout 60 wine "$QNC_CHECK" 30 || status=$?

  if [[ -n ${QNC_WINE_SCREENSHOT:-} ]]; then
    sleep "${QNC_WINE_SETTLE:-6}"
    bash -c "$QNC_WINE_SCREENSHOT"
  fi

  # Esc in the main window ends the program.
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
  xdotool key --clearmodifiers Escape
  ended=0
  for _ in $(seq 150); do
    kill -0 "$app" 2>/dev/null || { ended=1; break; }
    sleep 0.1
  done
  if [[ $ended -ne 1 ]]; then
    echo "FAIL: Esc did not end the program"
    kill "$app" 2>/dev/null || true
    exit 1
  fi
  wait "$app" || { echo "FAIL: the program ended with status $?"; cat "$work/app.log"; exit 1; }
  echo "Esc ended the program"
  exit "$status"
'
