#!/usr/bin/env bash
# CPU time and peak memory of quorix-probe measuring 30 rows per table on
# loopback for a while (default 60 s). Runs inside a private network namespace
# with dnsmasq on 127.0.0.1 answering the DNS rows and taking the TCP connects.
# Needs root. Usage: bench/cli_cost.sh [SECONDS] [PATH-TO-quorix-probe]
set -euo pipefail
seconds=${1:-60}
probe=${2:-build/bench/src/cli/app/quorix-probe}
[ "$(id -u)" -eq 0 ] || { echo "needs root (network namespace, dnsmasq on port 53)"; exit 1; }
[ -x "$probe" ] || { echo "no $probe: cmake --preset bench && cmake --build --preset bench"; exit 1; }
probe=$(realpath "$probe")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
{
  printf '#headv1===\r\n'
  for i in $(seq 1 30); do printf 'host%d.bench\r\n' "$i"; done
  printf '#PING===\r\n'
  for i in $(seq 1 30); do printf '127.0.0.%d\r\n' "$i"; done
  printf '#GAME===\r\n'
  for i in $(seq 1 30); do printf '127.0.0.1:53\r\n'; done
} > "$work/rows.txt"

cat > "$work/inner.sh" <<INNER
set -e
ip link set lo up
dnsmasq --keep-in-foreground --conf-file=/dev/null --no-resolv --no-hosts --listen-address=127.0.0.1 \
  --bind-interfaces --user=root --pid-file=$work/dnsmasq.pid --address=/bench/127.0.0.1 &
dnsmasq=\$!
sleep 0.5
/usr/bin/time -f '%U %S %M %e' -o $work/time.txt timeout -s INT $seconds \
  $probe --config $work/rows.txt --dns-server 127.0.0.1 > $work/out.txt || true
kill \$dnsmasq
INNER
unshare -n bash "$work/inner.sh"

read -r user sys rss elapsed < <(tail -n 1 "$work/time.txt")
passes=$(grep -c '^== ping table' "$work/out.txt" || true)
timeouts=$(grep -c '超时' "$work/out.txt" || true)
awk -v u="$user" -v s="$sys" -v r="$rss" -v e="$elapsed" -v p="$passes" -v t="$timeouts" 'BEGIN {
  printf "quorix-probe, 30 rows per table on loopback for %.1f s\n", e
  printf "  CPU: user %.2f s + system %.2f s = %.3f%% of one core\n", u, s, (u + s) * 100 / e
  printf "  peak RSS: %.1f MB\n", r / 1024
  printf "  ping passes printed: %d; \"超时\" cells printed: %d\n", p, t
}'
