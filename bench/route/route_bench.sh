#!/usr/bin/env bash
# Figures of the route tracer, in the route lab (root):
#  - memory per traced row with an hour of rounds kept (8 rows x 30 hops x 3600 rounds, simulated)
#  - CPU share of one core and memory with 8 rows traced at once at the default pace
#  - quorix-probe trace beside mtr --report at the same pace on the same chain, loss added at hop 3
#  - the time to discover every hop of a 30-hop chain
# Usage: bench/route/route_bench.sh [BUILD-DIR] [SECONDS]   (default build/bench, 20 s)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/bench}
seconds=${2:-20}
bench="$PWD/$build/bench/route/bench_route"
probe="$PWD/$build/src/cli/app/quorix-probe"
chain="$PWD/tests/lab/route_chain.sh"
for program in "$bench" "$probe"; do
  [ -x "$program" ] || { echo "missing $program: cmake --preset bench && cmake --build --preset bench" >&2; exit 1; }
done

echo "== memory: an hour of rounds kept"
"$bench" memory 8 30 3600

echo
echo "== 8 rows at once, a round a second, for $seconds s (chain of 5 routers)"
QNC_ROUTE_ROUTERS=5 "$chain" "$bench" rows "$seconds" 10.200.5.2 10.200.5.2 10.200.5.2 10.200.0.1 10.200.1.2 \
  10.200.2.2 10.200.3.2 10.200.4.2

echo
echo "== beside mtr: 10 rounds a second apart, a quarter of what reaches r3 dropped there"
if command -v mtr >/dev/null; then
  QNC_ROUTE_ROUTERS=5 "$chain" "$PWD/bench/route/trace_vs_mtr.sh" "$probe"
else
  echo "mtr is not installed (apt-get install mtr-tiny): skipped"
fi

echo
echo "== discovery of a 30-hop chain (29 routers, none limiting its answers), default pace"
QNC_ROUTE_ROUTERS=29 QNC_ROUTE_LIMITED="" "$chain" "$bench" discover 10.200.29.2 30
