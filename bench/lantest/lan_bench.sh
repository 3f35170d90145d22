#!/usr/bin/env bash
# LAN test benchmark, everything on 127.0.0.1, beside iperf3 (-P n for upload,
# -R for download, --bidir for both) in the same run, with CPU seconds per GB
# moved:
#   - loopback: 1, 4 and 8 connections in each mode, straight to the server;
#   - path: the same through bench_delay_relay, which holds each direction for
#     1 ms (a 2 ms round trip), the program and iperf3 through the same relay;
#   - the cost of a log line at the start and at the end of a 100,000-line log.
# Prints figures only.
#
#   bench/lantest/lan_bench.sh [build-dir] [seconds-per-run]
# The build dir must hold bench_lan_throughput, bench_delay_relay and
# bench_lan_log (the bench preset builds them; with the default build/bench
# they are built if missing).
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/bench}
seconds=${2:-5}
bin="$build/bench/lantest"
tools=(bench_lan_throughput bench_delay_relay bench_lan_log)
for tool in "${tools[@]}"; do
  [ -x "$bin/$tool" ] && continue
  if [ "$build" = build/bench ]; then
    cmake --preset bench >/dev/null
    cmake --build build/bench --target "${tools[@]}"
    break
  fi
  echo "missing $bin/$tool; build it first" >&2
  exit 1
done
command -v iperf3 >/dev/null || { echo "iperf3 is not installed" >&2; exit 1; }

work=$(mktemp -d)
relay_pid=""
cleanup() {
  [ -n "$relay_pid" ] && kill "$relay_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }

wait_listening() {
  for _ in $(seq 100); do
    ss -ltn "sport = :$1" | grep -q LISTEN && return 0
    sleep 0.1
  done
}

# A relay from a new port to $1 for one run, bounded in time; sets relay_port.
start_relay() {
  relay_port=$(free_port)
  "$bin/bench_delay_relay" --listen "$relay_port" --to "$1" --delay-ms 1 --lifetime-seconds $((seconds + 30)) &
  relay_pid=$!
  wait_listening "$relay_port"
}

stop_relay() {
  kill "$relay_pid" 2>/dev/null || true
  wait "$relay_pid" 2>/dev/null || true
  relay_pid=""
}

# One iperf3 run; its JSON goes to $work/iperf-<path>-<mode>-<n>.json.
run_iperf() {
  local path=$1 mode=$2 n=$3 flag=""
  case $mode in download) flag="-R" ;; both) flag="--bidir" ;; esac
  local port; port=$(free_port)
  iperf3 -s -1 -B 127.0.0.1 -p "$port" >/dev/null 2>&1 &
  local server=$!
  # Wait for the listener without connecting to it (the server takes one test only).
  wait_listening "$port"
  local target=$port
  if [ "$path" = relay ]; then
    start_relay "$port"
    target=$relay_port
  fi
  iperf3 -c 127.0.0.1 -p "$target" -t "$seconds" -O 1 -P "$n" $flag -J >"$work/iperf-$path-$mode-$n.json" 2>/dev/null || true
  kill "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
  [ "$path" = relay ] && stop_relay
  return 0
}

run_program() {
  local path=$1 mode=$2 n=$3
  local ports=()
  if [ "$path" = relay ]; then
    local server_port; server_port=$(free_port)
    start_relay "$server_port"
    ports=(--listen-port "$server_port" --connect-port "$relay_port")
  fi
  "$bin/bench_lan_throughput" --seconds "$seconds" --warmup 1 --modes "$mode" --connections "$n" "${ports[@]}" |
    sed "s/^RESULT /RESULT path=$path /" >>"$work/qnc.txt"
  [ "$path" = relay ] && stop_relay
  return 0
}

echo "LAN test on 127.0.0.1, ${seconds}s per run after 1s warm-up ($(nproc) cores)"
for path in loopback relay; do
  for mode in upload download both; do
    for n in 1 4 8; do
      run_program "$path" "$mode" "$n"
      run_iperf "$path" "$mode" "$n"
    done
  done
done

python3 - "$work" <<'PY'
import json, re, sys, os
work = sys.argv[1]
qnc = {}
for line in open(os.path.join(work, "qnc.txt")):
    fields = dict(re.findall(r"(\w+)=(\S+)", line))
    qnc[(fields["path"], fields["mode"], fields["connections"])] = fields
titles = {"loopback": "Loopback (straight to the server)",
          "relay": "Path: through the relay, 1 ms each way (2 ms round trip)"}
for path in ("loopback", "relay"):
    print()
    print(titles[path])
    print(f"{'mode':9} {'conns':>5} | {'qnc MB/s':>10} {'iperf3 MB/s':>11} {'ratio':>6} | {'qnc CPU s/GB':>12} {'iperf3 CPU s/GB':>15}")
    for mode in ("upload", "download", "both"):
        for n in ("1", "4", "8"):
            q = qnc.get((path, mode, n))
            if q is None:
                print(f"{mode:9} {n:>5} | {'n/a':>10}")
                continue
            up, down, secs, cpu = int(q["up_bytes"]), int(q["down_bytes"]), float(q["seconds"]), float(q["cpu_seconds"])
            moved = {"upload": up, "download": down, "both": up + down}[mode]
            qrate = moved / secs / 1e6
            qcpu = cpu / (moved / 1e9) if moved else float("nan")
            try:
                end = json.load(open(os.path.join(work, f"iperf-{path}-{mode}-{n}.json")))["end"]
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
print("(through the relay, CPU counts the endpoints only, not the relay)")
PY

echo
echo "Log: 100,000 lines put in front, cost per line in the first and the last 10,000"
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$bin/bench_lan_log" --lines 100000 --block 10000
