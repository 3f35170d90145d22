#!/usr/bin/env bash
# The web-page window's memory over its openings, on Xvfb inside a private
# network namespace (root needed): the program's RSS and Qt WebEngine's helper
# processes before, while a page from 127.0.0.1 is shown, and for HOLD seconds
# after the window closes. Variables set for the run (QTWEBENGINE_CHROMIUM_FLAGS,
# QT_QUICK_BACKEND, ...) reach the program, to compare set-ups.
# Usage: bench/web/web_window_memory.sh [BINARY] [HOLD-SECONDS] [OPENINGS]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
binary=$(realpath "${1:-$root/build/debug/bench/web/bench_web_window_memory}")
[ "$(id -u)" -eq 0 ] || { echo "needs root (network namespace)"; exit 1; }
export QNC_BIN="$binary" QNC_HOLD="${2:-10}" QNC_OPENINGS="${3:-1}"

unshare --net bash -euo pipefail -c '
  ip link set lo up
  work=$(mktemp -d)
  Xvfb :79 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  trap "kill $xvfb 2>/dev/null || true; rm -rf $work" EXIT
  for _ in $(seq 100); do [[ -S /tmp/.X11-unix/X79 ]] && break; sleep 0.05; done
  export DISPLAY=:79 QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work" XDG_CONFIG_HOME="$work" HOME="$work"
  status=0
  timeout 120 "$QNC_BIN" "$QNC_HOLD" "$QNC_OPENINGS" 2>"$work/stderr" || status=$?
  if [ "$status" -ne 0 ]; then cat "$work/stderr"; echo "exit status $status"; exit 1; fi
'
