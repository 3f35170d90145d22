#!/usr/bin/env bash
# LAN test benchmark on 127.0.0.1: throughput with 1, 4 and 8 connections in
# each mode beside iperf3 (-P n for upload, -R for download, --bidir for both)
# in the same run, with CPU seconds per GB moved, and the cost of a log line
# at the start and at the end of a 100,000-line log. Prints figures only.
#
#   bench/lantest/lan_bench.sh [build-dir] [seconds-per-run]
# The build dir must hold bench_lan_throughput and bench_lan_log (the bench
# preset builds them; with the default build/bench they are built if missing).
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/bench}
seconds=${2:-5}
bin="$build/bench/lantest"
if [ ! -x "$bin/bench_lan_throughput" ] || [ ! -x "$bin/bench_lan_log" ]; then
  if [ "$build" = build/bench ]; then
    cmake --preset bench >/dev/null
    cmake --build build/bench --target bench_lan_throughput bench_lan_log
  else
    echo "missing $bin/bench_lan_throughput or bench_lan_log; build them first" >&2
    exit 1
  fi
fi
command -v iperf3 >/dev/null || { echo "iperf3 is not installed" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }

# One iperf3 run on loopback; its JSON goes to $work/iperf-<mode>-<n>.json.
run_iperf() {
  local mode=$1 n=$2 flag=""
  case $mode in download) flag="-R" ;; both) flag="--bidir" ;; esac
  local port; port=$(free_port)
  iperf3 -s -1 -B 127.0.0.1 -p "$port" >/dev/null 2>&1 &
  local server=$!
  # Wait for the listener without connecting to it (the server takes one test only).
  for _ in $(seq 100); do
    ss -ltn "sport = :$port" | grep -q LISTEN && break
    sleep 0.1
  done
  iperf3 -c 127.0.0.1 -p "$port" -t "$seconds" -O 1 -P "$n" $flag -J >"$work/iperf-$mode-$n.json" 2>/dev/null || true
  kill "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
}

echo "LAN test on 127.0.0.1, ${seconds}s per run after 1s warm-up ($(nproc) cores)"
for mode in upload download both; do
  for n in 1 4 8; do
    "$bin/bench_lan_throughput" --seconds "$seconds" --warmup 1 --modes "$mode" --connections "$n" >>"$work/qnc.txt"
    run_iperf "$mode" "$n"
  done
done

python3 - "$work" <<'PY'
import json, re, sys, os
work = sys.argv[1]
qnc = {}
for line in open(os.path.join(work, "qnc.txt")):
    fields = dict(re.findall(r"(\w+)=(\S+)", line))
    qnc[(fields["mode"], fields["connections"])] = fields
print(f"{'mode':9} {'conns':>5} | {'qnc MB/s':>10} {'iperf3 MB/s':>11} {'ratio':>6} | {'qnc CPU s/GB':>12} {'iperf3 CPU s/GB':>15}")
for mode in ("upload", "download", "both"):
    for n in ("1", "4", "8"):
        q = qnc[(mode, n)]
        up, down, secs, cpu = int(q["up_bytes"]), int(q["down_bytes"]), float(q["seconds"]), float(q["cpu_seconds"])
        moved = {"upload": up, "download": down, "both": up + down}[mode]
        qrate = moved / secs / 1e6
        qcpu = cpu / (moved / 1e9) if moved else float("nan")
        try:
            end = json.load(open(os.path.join(work, f"iperf-{mode}-{n}.json")))["end"]
            ibytes = end["sum_received"]["bytes"]
            isecs = end["sum_received"]["seconds"]
            if mode == "both":
                ibytes += end["sum_received_bidir_reverse"]["bytes"]
            irate = ibytes / isecs / 1e6
            util = end["cpu_utilization_percent"]
            icpu = (util["host_total"] + util["remote_total"]) / 100.0 * isecs / (ibytes / 1e9)
            ratio = f"{qrate / irate * 100:5.0f}%"
            irate_text, icpu_text = f"{irate:11.0f}", f"{icpu:15.3f}"
        except Exception as error:  # a failed iperf3 run shows as n/a
            ratio, irate_text, icpu_text = "   n/a", f"{'n/a':>11}", f"{'n/a':>15}"
        print(f"{mode:9} {n:>5} | {qrate:10.0f} {irate_text} {ratio:>6} | {qcpu:12.3f} {icpu_text}")
PY

echo
echo "Log: 100,000 lines put in front, cost per line in the first and the last 10,000"
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$bin/bench_lan_log" --lines 100000 --block 10000
