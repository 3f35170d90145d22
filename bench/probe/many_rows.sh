#!/bin/bash
# One pass of quorix-probe over 3 x ROWS rows (default 5,000 per table), 95 %
# of them silent, with --parallel N (default 64): the time each table's pass
# takes (the ping reply time-out is 1 s, the DNS one 5 s, the connect one
# 21 s), the peak resident memory and the threads of the process.
# Runs in a network namespace of its own (no root needed) where 127.1.0.0/16
# never answers: silent pings and connects go there; a DNS stand-in on
# 127.0.0.1 answers the names starting with "live" and ignores the others.
#   bench/probe/many_rows.sh [ROWS] [PARALLEL]
#   QUORIX_PROBE=path/to/quorix-probe          (default build/bench/src/cli/app/quorix-probe)
set -euo pipefail
rows=${1:-5000}
parallel=${2:-64}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
probe=${QUORIX_PROBE:-$root/build/bench/src/cli/app/quorix-probe}
[ -x "$probe" ] || { echo "no quorix-probe at $probe (cmake --preset bench && cmake --build --preset bench)" >&2; exit 1; }
command -v python3 >/dev/null || { echo "python3 is missing: benchmark skipped"; exit 0; }
if [ -z "${QNC_BENCH_NAMESPACE:-}" ]; then
  exec env QNC_BENCH_NAMESPACE=1 "$root/tests/core/probe/silent_loopback.sh" bash "$0" "$@"
fi

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT

# The DNS stand-in and a TCP listener that never accepts (the kernel completes
# the handshakes up to its backlog).
python3 - "$work/ports" <<'PY' &
import socket, struct, sys
udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); udp.bind(("127.0.0.1", 0))
tcp = socket.socket(); tcp.bind(("127.0.0.1", 0)); tcp.listen(4096)
open(sys.argv[1], "w").write("%d %d\n" % (udp.getsockname()[1], tcp.getsockname()[1]))
while True:
    query, peer = udp.recvfrom(1500)
    if len(query) < 17 or query[13:17] != b"live":
        continue
    end = query.index(0, 12) + 5
    answer = query[:2] + b"\x81\x80\x00\x01\x00\x01\x00\x00\x00\x00" + query[12:end]
    answer += b"\xc0\x0c\x00\x01\x00\x01\x00\x00\x00\x3c\x00\x04" + bytes([10, 0, 0, 1])
    udp.sendto(answer, peer)
PY
while [ ! -s "$work/ports" ]; do sleep 0.05; done
read -r dns_port game_port <"$work/ports"

args=(--passes 1 --interval 100 --parallel "$parallel" --json --dns-server 127.0.0.1 --dns-port "$dns_port")
for i in $(seq 0 $((rows - 1))); do
  silent="127.1.$((i / 250)).$((1 + i % 250))"
  if ((i % 20 == 0)); then
    args+=(--ping "127.0.0.$((1 + i % 250))" --dns "live$i.test" --game "127.0.0.1:$game_port")
  else
    args+=(--ping "$silent" --dns "silent$i.test" --game "$silent:80")
  fi
done

echo "One pass over 3 x $rows rows (95 % silent), --parallel $parallel:"
mkfifo "$work/out"
start=$(date +%s.%N)
while IFS= read -r line; do
  table=$(printf '%s' "$line" | grep -o '"table":"[a-z]*"' | head -1 | cut -d'"' -f4)
  [ -n "$table" ] && awk -v s="$start" -v n="$(date +%s.%N)" -v t="$table" \
    'BEGIN { printf "  %-5s pass ended after %.1f s\n", t, n - s }'
done <"$work/out" &
reader=$!
"$probe" "${args[@]}" >"$work/out" 2>/dev/null &
pid=$!
peak_threads=0 peak_rss=0
while [ -r /proc/"$pid"/status ] && ! grep -q "^State:.*zombie" /proc/"$pid"/status 2>/dev/null; do
  threads=$(awk '/^Threads:/ { print $2 }' /proc/"$pid"/status 2>/dev/null || echo 0)
  rss=$(awk '/^VmHWM:/ { print $2 }' /proc/"$pid"/status 2>/dev/null || echo 0)
  ((threads > peak_threads)) && peak_threads=$threads
  ((rss > peak_rss)) && peak_rss=$rss
  sleep 0.5
done
wait "$pid" || true
wait "$reader"
awk -v s="$start" -v n="$(date +%s.%N)" -v t="$peak_threads" -v r="$peak_rss" \
  'BEGIN { printf "  whole run %.1f s, at most %d threads, peak resident memory %.1f MB\n", n - s, t, r / 1024 }'
