#!/usr/bin/env bash
# Prints the window's start-up figures: the time from launch to the first
# table update by a worker, and its memory (RSS, split into anonymous and
# file-backed pages) while it measures, with the number of mappings of the
# OpenGL driver (Mesa's DRI driver and LLVM), which shows whether start-up
# loaded it. Runs the
# program with its default rows inside a private network namespace (root
# needed), on Xvfb, so nothing it sends leaves the namespace.
# Usage: tests/qt/app/measure_startup.sh [BINARY] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
binary=$(realpath "${1:-$root/build/release/src/qt/app/quorix-net-check}")
runs=${2:-5}
export QNC_BIN="$binary" QNC_RUNS="$runs"

unshare --net bash -euo pipefail -c '
  ip link set lo up
  work=$(mktemp -d)
  Xvfb :78 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  trap "kill $xvfb 2>/dev/null || true; rm -rf $work" EXIT
  for _ in $(seq 100); do [[ -S /tmp/.X11-unix/X78 ]] && break; sleep 0.05; done
  # A configuration folder of its own: the default rows, whatever the user saved.
  export DISPLAY=:78 QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work" XDG_CONFIG_HOME="$work"
  export QT_LOGGING_RULES="qnc.app.startup.info=true"
  export QT_MESSAGE_PATTERN="%{time yyyy-MM-dd HH:mm:ss.zzz} %{message}"
  for run in $(seq "$QNC_RUNS"); do
    log="$work/run$run.log"
    start=$(date +%s%3N)
    "$QNC_BIN" 2>"$log" &
    pid=$!
    for _ in $(seq 200); do grep -q "first table update" "$log" && break; sleep 0.025; done
    sleep 5
    rss=$(awk "/^VmRSS/ {print \$2}" /proc/$pid/status)
    peak=$(awk "/^VmHWM/ {print \$2}" /proc/$pid/status)
    anon=$(awk "/^RssAnon/ {print \$2}" /proc/$pid/status)
    file=$(awk "/^RssFile/ {print \$2}" /proc/$pid/status)
    gl=$(grep -c -E "libLLVM|_dri\.so|libgallium" /proc/$pid/maps || true)
    kill -TERM $pid; wait $pid 2>/dev/null || true
    stamp=$(grep "first table update" "$log" | head -1 | cut -d" " -f1,2)
    if [[ -z $stamp ]]; then echo "run $run: no table update seen"; continue; fi
    first=$(date -d "$stamp" +%s%3N)
    echo "run $run: first table update after $((first - start)) ms; RSS after 5 s ${rss} kB (anon ${anon}, file ${file}; peak ${peak} kB); GL driver mappings: ${gl}"
  done
'
