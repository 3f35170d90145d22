#include "metrics/probe_metrics.h"

#include <algorithm>
#include <set>

#include "metrics/text_exposition.h"
#include "probe/table_schema.h"

namespace qnc {

namespace {

// The families: name, help text and, for WriteText, type.
struct FamilyInfo {
  const char* name;
  const char* help;
  const char* type;
};
constexpr FamilyInfo kRoundTrip{"quorix_probe_round_trip_seconds",
                                "Round trips of answered probes: DNS query, ICMP echo or TCP connect", "histogram"};
constexpr FamilyInfo kLastRoundTrip{"quorix_probe_last_round_trip_seconds",
                                    "Round trip of the row's latest probe; absent while that probe failed", "gauge"};
constexpr FamilyInfo kLastSuccess{"quorix_probe_last_success_timestamp_seconds",
                                  "Unix time of the row's latest answered probe", "gauge"};
constexpr FamilyInfo kProbes{"quorix_probe_probes_total", "Probes made, by outcome (ok, or why the probe failed)",
                             "counter"};
constexpr FamilyInfo kBuildInfo{"quorix_probe_build_info", "The measuring program's version; always 1", "gauge"};

template <class Builder>
auto& Register(Builder builder, const FamilyInfo& info, prometheus::Registry& registry) {
  return builder.Name(info.name).Help(info.help).Register(registry);
}

// The end of a sample line, after "name{": the rest of the labels, "} " and the value.
void AppendSampleEnd(std::string& out, std::string_view labels, double value) {
  out.append(labels).append("} ");
  AppendValue(out, value);
  out += '\n';
}

// The histogram buckets' "le" label values, "+Inf" last.
const std::vector<std::string>& BucketBounds() {
  static const std::vector<std::string> bounds = [] {
    std::vector<std::string> texts;
    for (const double bound : kRoundTripBuckets) {
      texts.emplace_back();
      AppendValue(texts.back(), bound);
    }
    texts.emplace_back("+Inf");
    return texts;
  }();
  return bounds;
}

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
      roundTrip_(Register(prometheus::BuildHistogram(), kRoundTrip, *registry_)),
      lastRoundTrip_(Register(prometheus::BuildGauge(), kLastRoundTrip, *registry_)),
      lastSuccess_(Register(prometheus::BuildGauge(), kLastSuccess, *registry_)),
      probes_(Register(prometheus::BuildCounter(), kProbes, *registry_)),
      version_(version) {
  Register(prometheus::BuildGauge(), kBuildInfo, *registry_).Add({{"version", version_}}).Set(1);
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
  // In name order, as prometheus-cpp writes them ("result" goes before all of them).
  series.labels.clear();
  for (const auto& [name, value] : labels) {
    if (!series.labels.empty()) series.labels += ',';
    AppendLabel(series.labels, name, value);
  }
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

void ProbeMetrics::WriteText(std::string& out) const {
  std::lock_guard lock(mutex_);
  // One allocation for the whole text: it is about as long as the last one.
  out.reserve(out.size() + lastTextSize_ + lastTextSize_ / 8);
  const std::size_t start = out.size();

  AppendFamilyHeader(out, kProbes.name, kProbes.help, kProbes.type);
  for (const TableSeries& table : rows_) {
    for (const auto& [target, series] : table) {
      if (series.roundTrip == nullptr) continue;  // a DNS row before its server is known
      for (std::size_t i = 0; i < kProbeResults.size(); ++i) {
        out.append(kProbes.name).append("{result=\"").append(kProbeResults[i]).append("\",");
        AppendSampleEnd(out, series.labels, series.probes[i]->Value());
      }
    }
  }
  for (const FamilyInfo* gauge : {&kLastRoundTrip, &kLastSuccess}) {
    AppendFamilyHeader(out, gauge->name, gauge->help, gauge->type);
    for (const TableSeries& table : rows_) {
      for (const auto& [target, series] : table) {
        const prometheus::Gauge* metric = gauge == &kLastRoundTrip ? series.lastRoundTrip : series.lastSuccess;
        if (metric == nullptr) continue;
        out.append(gauge->name).append("{");
        AppendSampleEnd(out, series.labels, metric->Value());
      }
    }
  }
  AppendFamilyHeader(out, kBuildInfo.name, kBuildInfo.help, kBuildInfo.type);
  out.append(kBuildInfo.name).append("{");
  AppendLabel(out, "version", version_);
  out.append("} 1\n");

  AppendFamilyHeader(out, kRoundTrip.name, kRoundTrip.help, kRoundTrip.type);
  const std::string name(kRoundTrip.name);
  for (const TableSeries& table : rows_) {
    for (const auto& [target, series] : table) {
      if (series.roundTrip == nullptr) continue;
      const prometheus::ClientMetric::Histogram histogram = series.roundTrip->Collect().histogram;
      out.append(name).append("_count{");
      AppendSampleEnd(out, series.labels, static_cast<double>(histogram.sample_count));
      out.append(name).append("_sum{");
      AppendSampleEnd(out, series.labels, histogram.sample_sum);
      for (std::size_t i = 0; i < histogram.bucket.size() && i < BucketBounds().size(); ++i) {
        out.append(name).append("_bucket{").append(series.labels).append(",le=\"").append(BucketBounds()[i]);
        AppendSampleEnd(out, "\"", static_cast<double>(histogram.bucket[i].cumulative_count));
      }
    }
  }
  lastTextSize_ = out.size() - start;
}

}  // namespace qnc
