#!/usr/bin/env bash
# The start-up check, run inside wine_x_session.sh: starts the program, waits
# for the window with the exact title, checks its lists from outside the
# process, optionally takes a picture, drives its boxes, tray and row
# commands (BEHAVIOUR_CHECK_EXE, when given), exports and imports its lists
# through the file dialogs (DIALOGS_CHECK_EXE, when given), runs its LAN
# client against a Linux `quorix-probe lan-server` (LAN_CHECK_EXE, when given,
# and QNC_LINUX_PROBE naming the Linux program), then ends it with Esc.
#
# Usage: startup_steps.sh QUORIX_EXE LISTS_CHECK_EXE [BEHAVIOUR_CHECK_EXE [DIALOGS_CHECK_EXE [LAN_CHECK_EXE]]]
# QNC_WINE_SCREENSHOT: when set, a command that takes the screen's picture
#   (with DISPLAY set) once the window has measured for QNC_WINE_SETTLE seconds.
set -euo pipefail
exe=$1
check=$2
behaviour=${3:-}
dialogs=${4:-}
lan=${5:-}
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# The fixed file of an earlier run would replace the default rows.
if [[ -d $WINEPREFIX/drive_c/users ]]; then
  find "$WINEPREFIX/drive_c/users" -path '*/AppData/Roaming/Quorix测试工具.txt' -delete
fi

timeout 120 wine "$exe" >"$log" 2>&1 &
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
  cat "$log"
  exit 1
fi
echo "window $window titled $title"

status=0
timeout 60 wine "$check" 30 || status=$?

if [[ -n ${QNC_WINE_SCREENSHOT:-} ]]; then
  sleep "${QNC_WINE_SETTLE:-6}"
  bash -c "$QNC_WINE_SCREENSHOT"
fi

if [[ -n $behaviour ]]; then
  timeout 120 wine "$behaviour" "$(winepath -w "$exe")" || status=1
fi
if [[ -n $dialogs ]]; then
  timeout 120 wine "$dialogs" || status=1
fi
if [[ -n $lan ]]; then
  if [[ -x ${QNC_LINUX_PROBE:-} ]]; then
    # The Linux server and the Windows client meet on loopback in this namespace.
    server_log=$(mktemp)
    port=10110
    timeout 90 "$QNC_LINUX_PROBE" lan-server --port "$port" >"$server_log" 2>&1 &
    server=$!
    timeout 90 wine "$lan" client "$port" || status=1
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
    if grep -q "连接IP 127.0.0.1" "$server_log"; then
      echo "  ok: the Linux lan-server served the Windows client"
    else
      echo "  FAIL: the Linux lan-server saw no connection:"
      cat "$server_log"
      status=1
    fi
    # And the other way: the window serves, a Linux lan-client downloads from it
    # (it retries until the window listens).
    timeout 90 wine "$lan" server "$port" &
    window_check=$!
    timeout 60 "$QNC_LINUX_PROBE" lan-client --address 127.0.0.1 --port "$port" --mode download --seconds 8 \
      >"$server_log" 2>&1 || true
    wait "$window_check" || status=1
    if grep -Eq "收：[0-9]+\.[0-9]{2}M" "$server_log"; then
      echo "  ok: the Linux lan-client measured the Windows server"
    else
      echo "  FAIL: the Linux lan-client measured nothing:"
      cat "$server_log"
      status=1
    fi
    rm -f "$server_log"
  else
    echo "FAIL: no Linux quorix-probe for the LAN run (QNC_LINUX_PROBE='${QNC_LINUX_PROBE:-}')"
    status=1
  fi
fi

# Esc in the main window ends the program.
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window" || true
xdotool key --clearmodifiers Escape
for _ in $(seq 150); do
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$app" 2>/dev/null; then
  echo "FAIL: Esc did not end the program"
  kill "$app" 2>/dev/null || true
  exit 1
fi
if ! wait "$app"; then
  echo "FAIL: the program ended with a failure"
  cat "$log"
  exit 1
fi
echo "Esc ended the program"
exit "$status"
