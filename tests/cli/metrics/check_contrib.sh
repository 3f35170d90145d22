#!/usr/bin/env bash
# The monitoring files in contrib/: Prometheus reads the scrape configuration and
# the alert rules, the alerts fire on the series they should (alert_rules_test.yml),
# and the Grafana dashboard is JSON with its panels.
# Usage: check_contrib.sh SOURCE-DIR   Exit 77 (skipped) without promtool or jq.
set -euo pipefail
source_dir=$1
for tool in promtool jq; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed" >&2; exit 77; }
done
cd "$source_dir"
promtool check config contrib/prometheus.yml
promtool check rules contrib/alerts.yml
promtool test rules tests/cli/metrics/alert_rules_test.yml
# One round-trip panel for each table and a heat map of the histogram.
jq -e '[.panels[].targets[].expr] as $e
       | ([.panels[] | select(.type == "heatmap")] | length) == 1
         and ($e | map(select(test("table=\"(dns|ping|game)\""))) | length) == 3
         and ($e | map(select(test("quorix_probe_round_trip_seconds_bucket"))) | length) == 1' \
  contrib/grafana-dashboard.json >/dev/null || { echo "grafana-dashboard.json lacks its panels" >&2; exit 1; }
echo "contrib files are valid"
