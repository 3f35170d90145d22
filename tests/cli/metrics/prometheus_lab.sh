#!/usr/bin/env bash
# quorix-probe scraped by a real Prometheus, inside the lab's client namespace
# (tests/lab/lab_network.sh: its gateway 10.77.0.1 answers pings). Everything
# else is on loopback: dnsmasq on 127.0.0.1:5300 answers the DNS rows (*.lab,
# NXDOMAIN for the rest) and takes the TCP connects of the game rows.
# Usage: lab_network.sh prometheus_lab.sh QUORIX-PROBE
set -uo pipefail
probe=$1
for tool in prometheus dnsmasq curl jq; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed" >&2; exit 77; }
done
[ -n "${QNC_LAB_GATEWAY:-}" ] || { echo "skipped: not inside the lab network" >&2; exit 77; }

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# wait_for SECONDS COMMAND...: runs COMMAND every 0.2 s until it succeeds; false after SECONDS.
wait_for() {
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do [ $SECONDS -lt $deadline ] || return 1; sleep 0.2; done
}

dnsmasq --keep-in-foreground --conf-file=/dev/null --no-resolv --no-hosts --listen-address=127.0.0.1 \
  --port=5300 --bind-interfaces --user=root --pid-file="$work/dnsmasq.pid" --address=/lab/127.0.0.1 \
  --address=/#/ &
pids+=($!)

rows() {  # the rows file: DNS, ping and game sections (lines go on top, so the last shows first)
  printf '#headv1===\r\n'; printf '%s\r\n' $1
  printf '#PING===\r\n'; printf '%s\r\n' $2
  printf '#GAME===\r\n'; printf '%s\r\n' $3
}
rows "alpha.lab nothere.test" "127.0.0.1 $QNC_LAB_GATEWAY" "127.0.0.1:5300 127.0.0.1:1" > "$work/rows.txt"

port=9477
: > "$work/probe.err"
"$probe" --metrics-listen 127.0.0.1:$port --config "$work/rows.txt" --dns-server 127.0.0.1 --dns-port 5300 \
  > "$work/probe.out" 2> "$work/probe.err" &
probe_pid=$!
pids+=($probe_pid)
wait_for 10 grep -q "serving metrics on http://127.0.0.1:$port/metrics" "$work/probe.err" ||
  { cat "$work/probe.err" >&2; echo "FAIL: quorix-probe did not start serving" >&2; exit 1; }

cat > "$work/prometheus.yml" <<YML
global: {scrape_interval: 1s, evaluation_interval: 1s}
scrape_configs:
  - job_name: quorix-probe
    static_configs: [{targets: ["127.0.0.1:$port"]}]
YML
prometheus --config.file="$work/prometheus.yml" --storage.tsdb.path="$work/tsdb" \
  --web.listen-address=127.0.0.1:9090 --log.level=warn > "$work/prometheus.log" 2>&1 &
pids+=($!)

query() {  # query PROMQL: the result vector as JSON
  curl -sfG --max-time 5 --data-urlencode "query=$1" http://127.0.0.1:9090/api/v1/query | jq -c '.data.result'
}
two_scrapes() { [ "$(query 'count_over_time(quorix_probe_build_info[1m]) >= 2' 2>/dev/null | jq length)" = 1 ]; }
wait_for 40 two_scrapes || { tail -n 20 "$work/prometheus.log" >&2; echo "FAIL: no two scrapes" >&2; exit 1; }

# expect_series PROMQL JQ-CONDITION: the query has exactly one series, and the condition holds for it.
expect_series() {
  local result
  result=$(query "$1")
  if [ "$(jq length <<<"$result")" != 1 ] || ! jq -e ".[0] | $2" <<<"$result" >/dev/null; then
    fail "$1 -> $result (wanted $2)"
  fi
}
value='(.value[1] | tonumber)'
expect_series 'quorix_probe_probes_total{table="dns",target="alpha.lab",result="ok"}' \
  ".metric.server == \"127.0.0.1\" and $value >= 1"
expect_series 'quorix_probe_probes_total{table="dns",target="nothere.test",result="ok"}' "$value == 0"
expect_series 'quorix_probe_probes_total{table="dns",target="nothere.test",result="nxdomain"}' "$value >= 1"
expect_series 'quorix_probe_last_round_trip_seconds{table="dns",target="alpha.lab"}' "$value > 0 and $value < 0.5"
expect_series 'quorix_probe_probes_total{table="ping",target="127.0.0.1",result="ok"}' \
  "(.metric | has(\"role\") | not) and $value >= 1"
expect_series "quorix_probe_probes_total{table=\"ping\",role=\"gateway\",result=\"ok\"}" \
  ".metric.target == \"$QNC_LAB_GATEWAY\" and $value >= 1"
expect_series 'quorix_probe_round_trip_seconds_count{table="ping",target="127.0.0.1"}' "$value >= 1"
expect_series 'histogram_quantile(0.5, quorix_probe_round_trip_seconds_bucket{table="ping",target="127.0.0.1"})' \
  "$value > 0 and $value <= 0.005"
expect_series 'quorix_probe_probes_total{table="game",target="127.0.0.1:5300",result="ok"}' "$value >= 1"
expect_series 'quorix_probe_probes_total{table="game",target="127.0.0.1:1",result="ok"}' "$value == 0"
expect_series 'time() - quorix_probe_last_success_timestamp_seconds{table="game",target="127.0.0.1:5300"}' \
  "$value > -1 and $value < 30"
expect_series 'quorix_probe_build_info' '.metric.version | test("^[0-9]+(\\.[0-9]+)+$")'
expect_series 'quorix_probe_probes_total{table="game",target="127.0.0.1:1",result="refused"}' "$value >= 1"

# The HTTP side of the real program: other paths are 404, garbage is closed, it goes on serving.
[ "$(curl -s -o /dev/null -w '%{http_code}' http://127.0.0.1:$port/nothing)" = 404 ] || fail "/nothing is not 404"
[ "$(curl -s http://127.0.0.1:$port/-/healthy)" != "" ] || fail "/-/healthy is empty"
grep -q 'href="/metrics"' <<<"$(curl -s http://127.0.0.1:$port/)" || fail "/ does not link to /metrics"
timeout 15 bash -c "exec 3<>/dev/tcp/127.0.0.1/$port
  { printf 'GET /'; head -c 200000 /dev/zero | tr '\\0' a; printf ' HTTP/1.1\r\n\r\n'; } >&3; cat <&3" > /dev/null 2>&1
[ $? -ne 124 ] || fail "a huge request line was not closed"
kill -0 $probe_pid 2>/dev/null || fail "quorix-probe died of a huge request line"

# SIGHUP re-reads the rows file: new rows appear, removed rows' series go.
scrape() { curl -sf --max-time 5 http://127.0.0.1:$port/metrics; }
rows "alpha.lab beta.lab" "127.0.0.1" "127.0.0.1:5300" > "$work/rows.txt"
kill -HUP $probe_pid
reloaded() { local m; m=$(scrape) && grep -q 'target="beta.lab"' <<<"$m" && ! grep -q 'target="127.0.0.1:1"' <<<"$m"; }
wait_for 10 reloaded || fail "SIGHUP did not bring the new rows"
grep -q "target=\"$QNC_LAB_GATEWAY\"" <<<"$(scrape)" && fail "the removed gateway row kept its series"
# A file that cannot be used keeps the rows and says why.
printf 'no header here\r\n' > "$work/rows.txt"
kill -HUP $probe_pid
wait_for 10 grep -q "kept the rows" "$work/probe.err" || fail "an unusable rows file was not reported"
grep -q 'target="beta.lab"' <<<"$(scrape)" || fail "an unusable rows file lost the rows"

# A second copy on the same port: exit 1 and a clear message, nothing measured or printed.
"$probe" --metrics-listen 127.0.0.1:$port --ping 127.0.0.1 > "$work/second.out" 2> "$work/second.err"
status=$?
[ $status -eq 1 ] || fail "a port in use gave exit status $status"
grep -q "cannot serve metrics on 127.0.0.1:$port: .*Address already in use" "$work/second.err" ||
  fail "a port in use said: $(cat "$work/second.err")"
[ ! -s "$work/second.out" ] || fail "a port in use printed: $(cat "$work/second.out")"

kill -INT $probe_pid
wait_for 10 bash -c "! kill -0 $probe_pid 2>/dev/null" || fail "quorix-probe did not end on SIGINT"
[ $failures -eq 0 ] || { echo "--- quorix-probe stderr:" >&2; cat "$work/probe.err" >&2; exit 1; }
echo "prometheus scraped quorix-probe: all checks passed"
