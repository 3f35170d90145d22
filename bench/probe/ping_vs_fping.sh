#!/bin/bash
# One ping pass over 200 loopback hosts, 150 of them silent, by quorix-probe
# (--parallel 16 and 64) and by fping (-c1 -t1000, and -i 1), interleaved over
# ROUNDS rounds: wall time of the pass, CPU time per probe and peak resident
# memory, each as min / median / max and as the ratio of the medians to fping's.
# Then one pass of each under strace: the system calls it made.
# Runs in a network namespace of its own (no root needed) where 127.1.0.0/16
# never answers; nothing leaves the machine.
#   bench/probe/ping_vs_fping.sh [ROUNDS]      (from the source tree; default 5)
#   QUORIX_PROBE=path/to/quorix-probe          (default build/bench/src/cli/app/quorix-probe)
set -euo pipefail
rounds=${1:-5}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
probe=${QUORIX_PROBE:-$root/build/bench/src/cli/app/quorix-probe}

if ! command -v fping >/dev/null; then
  echo "fping is not installed: benchmark skipped (apt-get install fping)"
  exit 0
fi
[ -x "$probe" ] || { echo "no quorix-probe at $probe (cmake --preset bench && cmake --build --preset bench)" >&2; exit 1; }
if [ -z "${QNC_BENCH_NAMESPACE:-}" ]; then
  exec env QNC_BENCH_NAMESPACE=1 "$root/tests/core/probe/silent_loopback.sh" bash "$0" "$@"
fi

hosts=()
for i in $(seq 1 50); do hosts+=("127.0.0.$i"); done
for i in $(seq 1 150); do hosts+=("127.1.0.$i"); done
probes=${#hosts[@]}
ping_args=()
for host in "${hosts[@]}"; do ping_args+=(--ping "$host"); done

declare -A commands=(
  [quorix-16]="$probe --passes 1 --interval 100 --parallel 16 ${ping_args[*]}"
  [quorix-64]="$probe --passes 1 --interval 100 --parallel 64 ${ping_args[*]}"
  [fping]="fping -q -c1 -t1000 ${hosts[*]}"
  [fping-i1]="fping -q -c1 -t1000 -i 1 ${hosts[*]}"
)
order=(fping quorix-16 fping-i1 quorix-64)
results=$(mktemp)
trap 'rm -f "$results"' EXIT

for round in $(seq 1 "$rounds"); do
  for name in "${order[@]}"; do
    # elapsed seconds, user + system seconds, peak resident kilobytes
    /usr/bin/time -f "$name %e %U %S %M" -a -o "$results" ${commands[$name]} >/dev/null 2>&1 || true
  done
done

summary() {  # name column(1 wall, 2 cpu per probe ms, 3 rss MB) -> "min median max"
  awk -v n="$1" -v c="$2" -v p="$probes" '$1 == n {
      v = (c == 1) ? $2 : (c == 2) ? ($3 + $4) * 1000 / p : $5 / 1024; print v }' "$results" |
    sort -g | awk '{ v[NR] = $1 } END { printf "%.3f %.3f %.3f", v[1], v[int((NR + 1) / 2)], v[NR] }'
}
median() { summary "$1" "$2" | awk '{ print $2 }'; }

echo "Ping pass over $probes loopback hosts (150 silent, 50 answering), $rounds rounds, min / median / max"
for column in 1 2 3; do
  case $column in
    1) echo "pass wall time, s:" ;;
    2) echo "CPU time per probe (user + system), ms:" ;;
    3) echo "peak resident memory, MB:" ;;
  esac
  for name in "${order[@]}"; do
    ref=fping
    [ "$name" = quorix-64 ] && ref=fping-i1
    printf "  %-10s %s" "$name" "$(summary "$name" $column)"
    case $name in quorix-*)
      awk -v a="$(median "$name" $column)" -v b="$(median $ref $column)" -v r=$ref \
        'BEGIN { printf "   (%.2f x %s)", (b > 0 ? a / b : 0), r }' ;;
    esac
    echo
  done
done

if command -v strace >/dev/null; then
  echo "System calls of one pass (all threads):"
  for name in "${order[@]}"; do
    trace=$(mktemp)
    strace -f -c -o "$trace" ${commands[$name]} >/dev/null 2>&1 || true
    printf "  %-10s %s\n" "$name" "$(awk '$NF == "total" { total = $4 }
      $NF ~ /^(poll|ppoll|recvfrom|recvmsg|recvmmsg|sendto|select|pselect6)$/ { calls = calls " " $NF "=" $4 }
      END { print "total=" total calls }' "$trace")"
    rm -f "$trace"
  done
fi
