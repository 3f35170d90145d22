#!/usr/bin/env bash
# Runs a command beside Wine on a private Xvfb screen, inside a private
# network namespace with loopback only. Wine's sockets are made by the
# wineserver of the prefix, so that server is started in here too (the
# prefix is this session's own; one left running from elsewhere is ended
# first). The prefix is made on first use, with the dialog font "MS Shell
# Dlg" mapped to a CJK face so the Chinese texts render.
#
# Usage: wine_x_session.sh COMMAND [ARGS...]
# QNC_WINE_GUI_PREFIX: the prefix (default: wineprefix-gui in the working folder).
# QNC_WINE_DPI: the display scale in dots per inch (default 96, 100 %; 120 is
#   125 %, 144 is 150 %).
# Exit status: the command's; 77 when skipped (not root, or a tool is missing).
set -euo pipefail
if [[ -z ${QNC_WINE_SESSION_INSIDE:-} ]]; then
  if [[ $(id -u) -ne 0 ]]; then
    echo "skipped: needs root for a private network namespace"
    exit 77
  fi
  for tool in wine wineserver wineboot Xvfb xdotool unshare ip timeout; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
  done
  export WINEPREFIX=$(realpath -m "${QNC_WINE_GUI_PREFIX:-wineprefix-gui}")
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" QNC_WINE_SESSION_INSIDE=1
  exec unshare --net bash "$0" "$@"
fi

# A step of this script that fails says which one, instead of ending the
# session without a word.
trap 'echo "wine_x_session.sh: line $LINENO failed: $BASH_COMMAND"' ERR
ip link set lo up
work=$(mktemp -d)
xvfb=""
cleanup() {
  timeout 20 wineserver -k 2>/dev/null || true
  if [[ -n $xvfb ]]; then kill "$xvfb" 2>/dev/null || true; fi
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
timeout 20 wineserver -k 2>/dev/null || true

for _ in $(seq 20); do
  number=$((100 + RANDOM % 400))
  [[ -e /tmp/.X11-unix/X$number || -e /tmp/.X$number-lock ]] || break
done
Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 100); do [[ -S /tmp/.X11-unix/X$number ]] && break; sleep 0.1; done
export DISPLAY=:$number

if [[ ! -f $WINEPREFIX/system.reg ]]; then
  mkdir -p "$WINEPREFIX"
  timeout 180 wineboot --init >/dev/null 2>&1
  # Lets the processes of the prefix's first start end before anything else runs.
  timeout 60 wineserver -w || true
fi
# A registry value, tried again after a pause: the first Wine program of a
# session can meet a wineserver that is still starting.
set_value() {
  for _ in 1 2 3; do
    timeout 60 wine reg add "$@" /f >/dev/null 2>&1 && return 0
    sleep 1
  done
  echo "FAIL: wine reg add $*"
  return 1
}
for face in "MS Shell Dlg" "MS Shell Dlg 2"; do
  set_value 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' /v "$face" /d "WenQuanYi Micro Hei"
done
# The display scale, set for every session: the prefix keeps the last one.
dpi=${QNC_WINE_DPI:-96}
set_value 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi"
set_value 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels /t REG_DWORD \
  /d "$dpi"
# Wine draws the window frames itself (there is no window manager here), so
# a picture shows the title bar too.
set_value 'HKCU\Software\Wine\X11 Driver' /v Managed /d N

status=0
"$@" || status=$?
exit "$status"
