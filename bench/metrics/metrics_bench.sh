#!/usr/bin/env bash
# The cost of serving Prometheus metrics from quorix-probe, in a private network
# namespace with everything on loopback (dnsmasq on 127.0.0.1 answers the DNS
# rows and takes the TCP connects):
#   1. 3 x 1,000 rows: time of a scrape of /metrics (after the rows were all
#      probed once) and the resident memory of the process;
#   2. 3 x 30 rows for SECONDS (default 60) while scraped every 5 s: CPU share.
# Needs root. Usage: bench/metrics/metrics_bench.sh [SECONDS] [PATH-TO-quorix-probe]
set -euo pipefail
seconds=${1:-60}
probe=${2:-build/bench/src/cli/app/quorix-probe}
[ "$(id -u)" -eq 0 ] || { echo "needs root (network namespace, raw ICMP)"; exit 1; }
[ -x "$probe" ] || { echo "no $probe: cmake --preset bench && cmake --build --preset bench"; exit 1; }
probe=$(realpath "$probe")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

rows_file() {  # rows_file N: N rows in each table, all on loopback
  printf '#headv1===\r\n'
  for i in $(seq 1 "$1"); do printf 'host%d.bench\r\n' "$i"; done
  printf '#PING===\r\n'
  for i in $(seq 1 "$1"); do printf '127.0.%d.%d\r\n' $((i / 250)) $((i % 250 + 1)); done
  printf '#GAME===\r\n'
  # Distinct targets (each its own series); only 127.0.0.1 listens, the others refuse at once.
  for i in $(seq 1 "$1"); do printf '127.0.%d.%d:5300\r\n' $((i / 250)) $((i % 250 + 1)); done
}
rows_file 1000 > "$work/rows1000.txt"
rows_file 30 > "$work/rows30.txt"

cat > "$work/inner.sh" <<INNER
set -e
ip link set lo up
dnsmasq --keep-in-foreground --conf-file=/dev/null --no-resolv --no-hosts --listen-address=127.0.0.1 \
  --port=5300 --bind-interfaces --user=root --pid-file=$work/dnsmasq.pid --address=/bench/127.0.0.1 &
dnsmasq=\$!
sleep 0.5
common="--dns-server 127.0.0.1 --dns-port 5300 --metrics-listen 127.0.0.1:9477"

# 1. Scrapes of 3 x 1,000 rows.
$probe --config $work/rows1000.txt \$common 2> $work/big.err &
big=\$!
# Every DNS row answered once: its series exist from then on.
for _ in \$(seq 600); do
  n=\$(curl -sf http://127.0.0.1:9477/metrics | grep -c '^quorix_probe_last_round_trip_seconds{' || true)
  [ "\$n" -ge 2000 ] && break
  sleep 0.5
done
echo "\$n" > $work/big.series
for _ in \$(seq 20); do
  curl -sf -o $work/scrape.txt -w '%{time_total} %{time_starttransfer}\n' http://127.0.0.1:9477/metrics >> $work/scrape.times
done
wc -c < $work/scrape.txt > $work/scrape.bytes
grep -c '^quorix_probe' $work/scrape.txt > $work/scrape.lines
grep -E '^Vm(RSS|HWM)' /proc/\$big/status > $work/big.memory
kill -INT \$big; wait \$big || true

# 2. CPU of 3 x 30 rows, scraped every 5 s.
/usr/bin/time -f '%U %S %M %e' -o $work/time.txt timeout -s INT $seconds \
  $probe --config $work/rows30.txt \$common 2> $work/small.err &
timer=\$!
sleep 1
while kill -0 \$timer 2>/dev/null; do curl -sf -o /dev/null http://127.0.0.1:9477/metrics || true; sleep 5; done
wait \$timer || true
kill \$dnsmasq
INNER
unshare -n bash "$work/inner.sh"

echo "quorix-probe --metrics-listen, everything on loopback"
echo "  3 x 1,000 rows: $(cat "$work/big.series") rows answered; a scrape is $(cat "$work/scrape.bytes") bytes," \
  "$(cat "$work/scrape.lines") sample lines"
sort -n "$work/scrape.times" | awk '{ t[NR] = $1 * 1000; sum += t[NR]; first += $2 * 1000 } END {
  printf "  scrape time over %d scrapes: mean %.1f ms, median %.1f ms, max %.1f ms (target <= 50 ms);" \
         " first byte after %.1f ms on average\n", NR, sum / NR, t[int((NR + 1) / 2)], t[NR], first / NR }'
awk '{ printf "  %s %.1f MB%s\n", ($1 == "VmRSS:" ? "resident now:" : "resident peak:"), $2 / 1024,
       ($1 == "VmHWM:" ? " (target <= 50 MB)" : "") }' "$work/big.memory"
read -r user sys rss elapsed < <(tail -n 1 "$work/time.txt")
awk -v u="$user" -v s="$sys" -v r="$rss" -v e="$elapsed" 'BEGIN {
  printf "  3 x 30 rows for %.1f s, scraped every 5 s: CPU user %.2f s + system %.2f s = %.3f%% of one core" \
         " (target <= 1 %%); peak RSS %.1f MB\n", e, u, s, (u + s) * 100 / e, r / 1024 }'
