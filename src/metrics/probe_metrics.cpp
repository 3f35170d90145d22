#include "metrics/probe_metrics.h"

#include <algorithm>
#include <set>

#include "probe/table_schema.h"

namespace qnc {

namespace {

std::size_t ResultIndex(std::string_view result) {
  const auto* found = std::find(kProbeResults.begin(), kProbeResults.end(), result);
  return found != kProbeResults.end() ? static_cast<std::size_t>(found - kProbeResults.begin())
                                      : kProbeResults.size() - 1;  // "error"
}

double Seconds(std::chrono::microseconds duration) { return std::chrono::duration<double>(duration).count(); }

double UnixSeconds(std::chrono::system_clock::time_point time) {
  return std::chrono::duration<double>(time.time_since_epoch()).count();
}

template <class Metric>
void RemoveFrom(prometheus::Family<Metric>& family, Metric*& metric) {
  if (metric == nullptr) return;
  family.Remove(metric);
  metric = nullptr;
}

}  // namespace

ProbeMetrics::ProbeMetrics(std::string_view version)
    : registry_(std::make_shared<prometheus::Registry>()),
      roundTrip_(prometheus::BuildHistogram()
                     .Name("quorix_probe_round_trip_seconds")
                     .Help("Round trips of answered probes: DNS query, ICMP echo or TCP connect")
                     .Register(*registry_)),
      lastRoundTrip_(prometheus::BuildGauge()
                         .Name("quorix_probe_last_round_trip_seconds")
                         .Help("Round trip of the row's latest probe; absent while that probe failed")
                         .Register(*registry_)),
      lastSuccess_(prometheus::BuildGauge()
                       .Name("quorix_probe_last_success_timestamp_seconds")
                       .Help("Unix time of the row's latest answered probe")
                       .Register(*registry_)),
      probes_(prometheus::BuildCounter()
                  .Name("quorix_probe_probes_total")
                  .Help("Probes made, by outcome (ok, or why the probe failed)")
                  .Register(*registry_)) {
  prometheus::BuildGauge()
      .Name("quorix_probe_build_info")
      .Help("The measuring program's version; always 1")
      .Register(*registry_)
      .Add({{"version", std::string(version)}})
      .Set(1);
}

bool ProbeMetrics::HasLabels(TableKind kind) const { return kind != TableKind::kDns || dnsServer_.has_value(); }

prometheus::Labels ProbeMetrics::LabelsOf(TableKind kind, const std::string& target) const {
  prometheus::Labels labels{{"table", std::string(SchemaOf(kind).name)}, {"target", target}};
  if (kind == TableKind::kDns) labels.emplace("server", dnsServer_.value_or(""));
  if (kind == TableKind::kPing && !gateway_.empty() && target == gateway_) labels.emplace("role", "gateway");
  return labels;
}

void ProbeMetrics::AddSeriesLocked(TableKind kind, const std::string& target, RowSeries& series) {
  const prometheus::Labels labels = LabelsOf(kind, target);
  series.roundTrip = &roundTrip_.Add(labels, kRoundTripBuckets);
  for (std::size_t i = 0; i < kProbeResults.size(); ++i) {
    prometheus::Labels withResult = labels;
    withResult.emplace("result", std::string(kProbeResults[i]));
    series.probes[i] = &probes_.Add(withResult);
  }
}

void ProbeMetrics::RemoveSeriesLocked(RowSeries& series) {
  RemoveFrom(roundTrip_, series.roundTrip);
  RemoveFrom(lastRoundTrip_, series.lastRoundTrip);
  RemoveFrom(lastSuccess_, series.lastSuccess);
  for (prometheus::Counter*& counter : series.probes) RemoveFrom(probes_, counter);
}

void ProbeMetrics::RelabelLocked(TableKind kind, const std::string& target) {
  const auto row = rows_[kind].find(target);
  if (row == rows_[kind].end()) return;
  RemoveSeriesLocked(row->second);
  if (HasLabels(kind)) AddSeriesLocked(kind, target, row->second);
}

void ProbeMetrics::SetRows(TableKind kind, const std::vector<std::string>& targets) {
  std::set<std::string, std::less<>> wanted;
  for (const std::string& target : targets) {
    if (!target.empty()) wanted.insert(target);  // the workers skip rows without a target
  }
  std::lock_guard lock(mutex_);
  TableSeries& table = rows_[kind];
  for (auto row = table.begin(); row != table.end();) {
    if (wanted.contains(row->first)) {
      ++row;
      continue;
    }
    RemoveSeriesLocked(row->second);
    row = table.erase(row);
  }
  for (const std::string& target : wanted) {
    const auto [row, added] = table.try_emplace(target);
    if (added && HasLabels(kind)) AddSeriesLocked(kind, target, row->second);
  }
}

void ProbeMetrics::SetGateway(std::string_view address) {
  std::lock_guard lock(mutex_);
  if (address == gateway_) return;
  const std::string before = std::exchange(gateway_, std::string(address));
  RelabelLocked(TableKind::kPing, before);
  RelabelLocked(TableKind::kPing, gateway_);
}

void ProbeMetrics::Record(TableKind kind, std::string_view target, std::string_view server, const ProbeRecord& record) {
  std::lock_guard lock(mutex_);
  TableSeries& table = rows_[kind];
  if (kind == TableKind::kDns && dnsServer_ != server) {
    dnsServer_ = std::string(server);
    for (auto& [rowTarget, series] : table) RelabelLocked(kind, rowTarget);
  }
  const auto row = table.find(target);
  if (row == table.end()) return;
  RowSeries& series = row->second;
  if (series.roundTrip == nullptr) AddSeriesLocked(kind, row->first, series);
  const std::size_t result = ResultIndex(record.result);
  series.probes[result]->Increment();
  if (result != 0) {
    RemoveFrom(lastRoundTrip_, series.lastRoundTrip);
    return;
  }
  const double seconds = Seconds(record.roundTrip);
  series.roundTrip->Observe(seconds);
  if (series.lastRoundTrip == nullptr) series.lastRoundTrip = &lastRoundTrip_.Add(LabelsOf(kind, row->first));
  series.lastRoundTrip->Set(seconds);
  if (series.lastSuccess == nullptr) series.lastSuccess = &lastSuccess_.Add(LabelsOf(kind, row->first));
  series.lastSuccess->Set(UnixSeconds(record.time));
}

}  // namespace qnc
