#include "cli/metrics/probe_metrics.h"

#include <algorithm>
#include <utility>

#include "cli/metrics/text_exposition.h"
#include "core/probe/table_schema.h"

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

// The row's labels, in name order as prometheus-cpp writes them ("result"
// goes before all of them).
std::string LabelText(const prometheus::Labels& labels) {
  std::string text;
  for (const auto& [name, value] : labels) {
    if (!text.empty()) text += ',';
    AppendLabel(text, name, value);
  }
  return text;
}

}  // namespace

// One registry with its families and the series of one set of rows.
struct ProbeMetrics::Generation {
  struct RowSeries {
    prometheus::Labels labels;
    std::string labelText;  // role="gateway",server="...",table="...",target="..."
    prometheus::Histogram* roundTrip = nullptr;
    prometheus::Gauge* lastRoundTrip = nullptr;  // null while the latest probe failed
    prometheus::Gauge* lastSuccess = nullptr;    // null until the first answer
    std::array<prometheus::Counter*, kProbeResults.size()> probes{};
  };
  // A DNS row before its server is known has no series: it is not listed.
  using TableSeries = std::map<std::string, RowSeries, std::less<>>;

  explicit Generation(const std::string& version)
      : registry(std::make_shared<prometheus::Registry>()),
        roundTrip(Register(prometheus::BuildHistogram(), kRoundTrip, *registry)),
        lastRoundTrip(Register(prometheus::BuildGauge(), kLastRoundTrip, *registry)),
        lastSuccess(Register(prometheus::BuildGauge(), kLastSuccess, *registry)),
        probes(Register(prometheus::BuildCounter(), kProbes, *registry)) {
    Register(prometheus::BuildGauge(), kBuildInfo, *registry).Add({{"version", version}}).Set(1);
  }

  void Add(TableKind kind, const std::string& target, prometheus::Labels labels) {
    RowSeries& series = rows[kind][target];
    series.labelText = LabelText(labels);
    series.roundTrip = &roundTrip.Add(labels, kRoundTripBuckets);
    for (std::size_t i = 0; i < kProbeResults.size(); ++i) {
      prometheus::Labels withResult = labels;
      withResult.emplace("result", std::string(kProbeResults[i]));
      series.probes[i] = &probes.Add(withResult);
    }
    series.labels = std::move(labels);
  }

  // Takes over the values of the same series in `before`.
  void CarryFrom(const Generation& before) {
    for (const TableKind kind : kAllTables) {
      for (auto& [target, series] : rows[kind]) {
        const auto old = before.rows[kind].find(target);
        if (old == before.rows[kind].end() || old->second.labels != series.labels) continue;
        const RowSeries& from = old->second;
        for (std::size_t i = 0; i < kProbeResults.size(); ++i) {
          const double count = from.probes[i]->Value();
          if (count > 0) series.probes[i]->Increment(count);
        }
        const prometheus::ClientMetric::Histogram histogram = from.roundTrip->Collect().histogram;
        if (histogram.sample_count > 0) {
          std::vector<double> increments;
          std::uint64_t below = 0;
          for (const auto& bucket : histogram.bucket) {
            increments.push_back(static_cast<double>(bucket.cumulative_count - below));
            below = bucket.cumulative_count;
          }
          series.roundTrip->ObserveMultiple(increments, histogram.sample_sum);
        }
        if (from.lastRoundTrip != nullptr) {
          series.lastRoundTrip = &lastRoundTrip.Add(series.labels);
          series.lastRoundTrip->Set(from.lastRoundTrip->Value());
        }
        if (from.lastSuccess != nullptr) {
          series.lastSuccess = &lastSuccess.Add(series.labels);
          series.lastSuccess->Set(from.lastSuccess->Value());
        }
      }
    }
  }

  std::shared_ptr<prometheus::Registry> registry;
  prometheus::Family<prometheus::Histogram>& roundTrip;
  prometheus::Family<prometheus::Gauge>& lastRoundTrip;
  prometheus::Family<prometheus::Gauge>& lastSuccess;
  prometheus::Family<prometheus::Counter>& probes;
  std::optional<std::string> dnsServer;
  PerTable<TableSeries> rows;
};

ProbeMetrics::ProbeMetrics(std::string_view version)
    : version_(version), current_(std::make_shared<Generation>(version_)) {}

ProbeMetrics::~ProbeMetrics() = default;

std::shared_ptr<prometheus::Registry> ProbeMetrics::Registry() const {
  std::lock_guard lock(mutex_);
  return current_->registry;
}

void ProbeMetrics::RebuildLocked() {
  // Built without the lock: scrapes and probes go on with the series in use.
  auto next = std::make_shared<Generation>(version_);
  next->dnsServer = wanted_.dnsServer;
  for (const TableKind kind : kAllTables) {
    if (kind == TableKind::kDns && !wanted_.dnsServer) continue;
    for (const std::string& target : wanted_.rows[kind]) {
      prometheus::Labels labels{{"table", std::string(SchemaOf(kind).name)}, {"target", target}};
      if (kind == TableKind::kDns) labels.emplace("server", *wanted_.dnsServer);
      if (kind == TableKind::kPing && !wanted_.gateway.empty() && target == wanted_.gateway) {
        labels.emplace("role", "gateway");
      }
      next->Add(kind, target, std::move(labels));
    }
  }
  std::unique_lock lock(mutex_);
  next->CarryFrom(*current_);
  std::swap(current_, next);
  lock.unlock();
  // `next` now holds the old series; they go here, without the lock.
}

void ProbeMetrics::SetTables(const PerTable<std::vector<std::string>>& targets, std::string_view gateway) {
  std::lock_guard rebuild(rebuildMutex_);
  for (const TableKind kind : kAllTables) WantRowsLocked(kind, targets[kind]);
  wanted_.gateway = gateway;
  RebuildLocked();
}

void ProbeMetrics::SetRows(TableKind kind, const std::vector<std::string>& targets) {
  std::lock_guard rebuild(rebuildMutex_);
  WantRowsLocked(kind, targets);
  RebuildLocked();
}

void ProbeMetrics::WantRowsLocked(TableKind kind, const std::vector<std::string>& targets) {
  wanted_.rows[kind].clear();
  for (const std::string& target : targets) {
    if (!target.empty()) wanted_.rows[kind].insert(target);  // the workers skip rows without a target
  }
}

void ProbeMetrics::SetGateway(std::string_view address) {
  std::lock_guard rebuild(rebuildMutex_);
  if (address == wanted_.gateway) return;
  wanted_.gateway = address;
  RebuildLocked();
}

void ProbeMetrics::Record(TableKind kind, std::string_view target, std::string_view server, const ProbeRecord& record) {
  {
    std::lock_guard lock(mutex_);
    if (kind != TableKind::kDns || current_->dnsServer == server) {
      RecordLocked(*current_, kind, target, record);
      return;
    }
  }
  // Another DNS server: the DNS series start again under it. Probes that name
  // it wait here until its series exist.
  std::lock_guard rebuild(rebuildMutex_);
  if (wanted_.dnsServer != server) {
    wanted_.dnsServer = std::string(server);
    RebuildLocked();
  }
  std::lock_guard lock(mutex_);
  if (current_->dnsServer == server) RecordLocked(*current_, kind, target, record);
}

void ProbeMetrics::RecordLocked(Generation& generation, TableKind kind, std::string_view target,
                                const ProbeRecord& record) {
  const auto row = generation.rows[kind].find(target);
  if (row == generation.rows[kind].end()) return;
  Generation::RowSeries& series = row->second;
  const std::size_t result = ResultIndex(record.result);
  series.probes[result]->Increment();
  if (result != 0) {
    RemoveFrom(generation.lastRoundTrip, series.lastRoundTrip);
    return;
  }
  const double seconds = Seconds(record.roundTrip);
  series.roundTrip->Observe(seconds);
  if (series.lastRoundTrip == nullptr) series.lastRoundTrip = &generation.lastRoundTrip.Add(series.labels);
  series.lastRoundTrip->Set(seconds);
  if (series.lastSuccess == nullptr) series.lastSuccess = &generation.lastSuccess.Add(series.labels);
  series.lastSuccess->Set(UnixSeconds(record.time));
}

void ProbeMetrics::WriteText(std::string& out) const {
  std::lock_guard lock(mutex_);
  const Generation& generation = *current_;
  // One allocation for the whole text: it is about as long as the last one.
  out.reserve(out.size() + lastTextSize_ + lastTextSize_ / 8);
  const std::size_t start = out.size();

  AppendFamilyHeader(out, kProbes.name, kProbes.help, kProbes.type);
  for (const auto& table : generation.rows) {
    for (const auto& [target, series] : table) {
      for (std::size_t i = 0; i < kProbeResults.size(); ++i) {
        out.append(kProbes.name).append("{result=\"").append(kProbeResults[i]).append("\",");
        AppendSampleEnd(out, series.labelText, series.probes[i]->Value());
      }
    }
  }
  for (const FamilyInfo* gauge : {&kLastRoundTrip, &kLastSuccess}) {
    AppendFamilyHeader(out, gauge->name, gauge->help, gauge->type);
    for (const auto& table : generation.rows) {
      for (const auto& [target, series] : table) {
        const prometheus::Gauge* metric = gauge == &kLastRoundTrip ? series.lastRoundTrip : series.lastSuccess;
        if (metric == nullptr) continue;
        out.append(gauge->name).append("{");
        AppendSampleEnd(out, series.labelText, metric->Value());
      }
    }
  }
  AppendFamilyHeader(out, kBuildInfo.name, kBuildInfo.help, kBuildInfo.type);
  out.append(kBuildInfo.name).append("{");
  AppendLabel(out, "version", version_);
  out.append("} 1\n");

  AppendFamilyHeader(out, kRoundTrip.name, kRoundTrip.help, kRoundTrip.type);
  const std::string name(kRoundTrip.name);
  for (const auto& table : generation.rows) {
    for (const auto& [target, series] : table) {
      const prometheus::ClientMetric::Histogram histogram = series.roundTrip->Collect().histogram;
      out.append(name).append("_count{");
      AppendSampleEnd(out, series.labelText, static_cast<double>(histogram.sample_count));
      out.append(name).append("_sum{");
      AppendSampleEnd(out, series.labelText, histogram.sample_sum);
      for (std::size_t i = 0; i < histogram.bucket.size() && i < BucketBounds().size(); ++i) {
        out.append(name).append("_bucket{").append(series.labelText).append(",le=\"").append(BucketBounds()[i]);
        AppendSampleEnd(out, "\"", static_cast<double>(histogram.bucket[i].cumulative_count));
      }
    }
  }
  lastTextSize_ = out.size() - start;
}

}  // namespace qnc
