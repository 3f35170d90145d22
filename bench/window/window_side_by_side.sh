#!/usr/bin/env bash
# Start-up of the window program side by side with a bare Qt 6 Widgets window
# holding one 30-row table (bench_bare_table_window): for each, the time from
# launch to the first painted table row, and the resident memory (RSS) once
# it has run SETTLE seconds, with the number of mappings of the OpenGL
# software driver (Mesa's DRI driver, LLVM). The two are started in turns,
# ROUNDS times each; it prints every run, then min/median/max of each and the
# ratio of the medians. (A build older than the painted-row mark is timed to
# its first table update instead, marked "*".) Runs on Xvfb inside a private network namespace with
# only loopback (root needed), so the window's default rows reach nothing.
# Usage: bench/window/window_side_by_side.sh [OURS] [BARE] [ROUNDS] [SETTLE]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
[ "$(id -u)" -eq 0 ] || { echo "needs root (network namespace)"; exit 1; }
export QNC_OURS=$(realpath "${1:-$root/build/release/src/qt/app/quorix-net-check}")
export QNC_BARE=$(realpath "${2:-$root/build/release/bench/window/bench_bare_table_window}")
export QNC_ROUNDS="${3:-5}" QNC_SETTLE="${4:-3}"

unshare --net bash -euo pipefail -c '
  ip link set lo up
  work=$(mktemp -d)
  Xvfb :77 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  trap "kill $xvfb 2>/dev/null || true; rm -rf $work" EXIT
  for _ in $(seq 100); do [[ -S /tmp/.X11-unix/X77 ]] && break; sleep 0.05; done
  export DISPLAY=:77 QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work" XDG_CONFIG_HOME="$work" HOME="$work"
  export QT_LOGGING_RULES="qnc.app.startup.info=true"
  export QT_MESSAGE_PATTERN="%{time yyyy-MM-dd HH:mm:ss.zzz} %{message}"

  # One run: prints "<ms to first painted row> <RSS kB> <GL mappings>".
  run() {
    local log="$work/run.log"
    local start pid stamp first rss gl
    start=$(date +%s%3N)
    "$1" 2>"$log" &
    pid=$!
    for _ in $(seq 400); do grep -q -E "first painted row|first table update" "$log" && break; sleep 0.025; done
    sleep "$QNC_SETTLE"
    rss=$(awk "/^VmRSS/ {print \$2}" /proc/$pid/status)
    gl=$(grep -c -E "libLLVM|_dri\.so|libgallium" /proc/$pid/maps || true)
    kill -TERM $pid; wait $pid 2>/dev/null || true
    local mark=""
    stamp=$(grep "first painted row" "$log" | head -1 | cut -d" " -f1,2 || true)
    [[ -n $stamp ]] || { stamp=$(grep "first table update" "$log" | head -1 | cut -d" " -f1,2 || true); mark="*"; }
    [[ -n $stamp ]] || { echo "- $rss $gl"; return; }
    first=$(date -d "$stamp" +%s%3N)
    echo "$((first - start))$mark $rss $gl"
  }

  : >"$work/ours" ; : >"$work/bare"
  for round in $(seq "$QNC_ROUNDS"); do
    for who in ours bare; do
      program=$QNC_OURS; [[ $who == bare ]] && program=$QNC_BARE
      read -r ms rss gl < <(run "$program")
      printf "round %d %-4s first painted row %5s ms   RSS %7s kB   GL driver mappings %s\n" "$round" "$who" "$ms" "$rss" "$gl"
      echo "${ms%\*} $rss" >>"$work/$who"
    done
  done

  # min/median/max of column $2 of file $1
  stats() { awk -v c="$2" "{print \$c}" "$1" | grep -v -- "-" | sort -n | awk "{v[NR]=\$1} END {printf \"%s %s %s\\n\", v[1], v[int((NR+1)/2)], v[NR]}"; }
  echo
  for who in ours bare; do
    read -r tmin tmed tmax < <(stats "$work/$who" 1)
    read -r rmin rmed rmax < <(stats "$work/$who" 2)
    printf "%-4s first painted row min/median/max %s/%s/%s ms   RSS min/median/max %s/%s/%s kB\n" \
      "$who" "$tmin" "$tmed" "$tmax" "$rmin" "$rmed" "$rmax"
    eval "${who}_t=$tmed ${who}_r=$rmed"
  done
  awk -v ot="$ours_t" -v bt="$bare_t" -v orss="$ours_r" -v brss="$bare_r" \
    "BEGIN {printf \"ratio ours/bare (medians): first painted row %.2f, RSS %.2f\n\", ot / bt, orss / brss}"
'
