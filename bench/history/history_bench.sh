#!/usr/bin/env bash
# quorix-probe with histories, in private network namespaces (needs root):
#  1. the pass time of 30 ping rows, 10 of them silent hosts, with --parallel 1
#     and --parallel 16. The silent hosts are addresses on a veth link whose
#     neighbour entries point at nobody, so every echo request is dropped;
#  2. the memory of quorix-probe once every row of 3 tables x 100 rows has a
#     full history (3,600 samples): loopback rows, dnsmasq on 127.0.0.1 for
#     the DNS rows, a small accept-and-close listener for the TCP rows, --interval 100 and --parallel PARALLEL (default 64,
#     so that a pass stays short). That takes PASSES passes (default 3700,
#     several minutes); give fewer for a quicker, partial figure.
# Usage: bench/history/history_bench.sh [PASSES] [PATH-TO-quorix-probe] [PARALLEL]
set -euo pipefail
passes=${1:-3700}
probe=${2:-build/bench/src/cli/app/quorix-probe}
parallel=${3:-64}
[ "$(id -u)" -eq 0 ] || { echo "needs root (network namespaces, raw ICMP, dnsmasq on port 53)"; exit 1; }
[ -x "$probe" ] || { echo "no $probe: cmake --preset bench && cmake --build --preset bench"; exit 1; }
probe=$(realpath "$probe")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# --- 1. parallel pass time -------------------------------------------------
cat > "$work/parallel.sh" <<INNER
set -e
ip link set lo up
ip link add v0 type veth peer name v1
ip link set v0 up; ip link set v1 up
ip addr add 10.99.0.1/24 dev v0
rows=""
for i in \$(seq 1 20); do rows="\$rows --ping 127.0.0.\$i"; done
for i in \$(seq 2 11); do
  ip neigh add 10.99.0.\$i lladdr 02:00:00:00:00:\$(printf %02x \$i) dev v0 nud permanent
  rows="\$rows --ping 10.99.0.\$i"
done
for parallel in 1 16; do
  # Each ping table line is stamped as it arrives; a pass is the time between
  # two lines less the 100 ms pause.
  $probe \$rows --passes 4 --interval 100 --json --parallel \$parallel |
    while IFS= read -r line; do
      case "\$line" in '{"table":"ping"'*) echo "\$(date +%s.%N) \$line" ;; esac
    done > $work/passes-\$parallel.txt
  awk -v p=\$parallel 'NR > 1 { t = \$1 - last - 0.1; sum += t; if (t > worst) worst = t; n++ } { last = \$1 }
    END { printf "30 ping rows, 10 silent, --parallel %2d: pass %.3f s on average, worst %.3f s (%d passes)\n",
          p, sum / n, worst, n }' $work/passes-\$parallel.txt
done
INNER
unshare -n bash "$work/parallel.sh"

# --- 2. memory with full histories -----------------------------------------
{
  printf '#headv1===\r\n'
  for i in $(seq 1 100); do printf 'host%d.bench\r\n' "$i"; done
  printf '#PING===\r\n'
  for i in $(seq 1 100); do printf '127.0.1.%d\r\n' "$i"; done
  printf '#GAME===\r\n'
  for i in $(seq 1 100); do printf '127.0.0.1:8080\r\n'; done
} > "$work/rows.txt"
cat > "$work/memory.sh" <<INNER
set -e
ip link set lo up
dnsmasq --keep-in-foreground --conf-file=/dev/null --no-resolv --no-hosts --listen-address=127.0.0.1 \
  --bind-interfaces --user=root --pid-file=$work/dnsmasq.pid --address=/bench/127.0.0.1 &
dnsmasq=\$!
python3 -c '
import socket
listener = socket.socket()
listener.bind(("127.0.0.1", 8080))
listener.listen(1024)
while True:
    listener.accept()[0].close()
' &
listener=\$!
sleep 0.5
/usr/bin/time -f '%M %e' -o $work/time.txt \
  $probe --config $work/rows.txt --dns-server 127.0.0.1 --passes $passes --interval 100 --parallel $parallel --stats --json \
  | tail -n 3 > $work/out.txt
kill \$dnsmasq \$listener
INNER
unshare -n bash "$work/memory.sh"
read -r rss elapsed < <(tail -n 1 "$work/time.txt")
counts=$(cat "$work/out.txt" | grep -o '"count":[0-9]*' | sort | uniq -c | sort -rn | head -3 | tr '\n' ' ')
awk -v r="$rss" -v e="$elapsed" -v p="$passes" -v c="$counts" 'BEGIN {
  printf "quorix-probe, 3 tables x 100 rows, %d passes in %.0f s: peak RSS %.1f MB\n", p, e, r / 1024
  printf "  samples per row at the end (how many rows): %s\n", c
}'
