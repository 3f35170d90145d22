#include "core/probe/row_update.h"

#include <algorithm>
#include <cstdio>

#include "core/probe/table_schema.h"

namespace qnc {

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;

std::string Decimal(std::int64_t value) { return std::to_string(value); }

// Average and loss cells, written after both kinds of row update.
void WriteCommonTail(ProbeTable& table, RowId row, const RowCounters& counters) {
  const std::uint32_t lost = counters.lost.load(kRelaxed);
  const std::uint32_t answered = counters.answered.load(kRelaxed);
  const std::uint32_t sum = counters.latencySum.load(kRelaxed);
  table.SetCell(row, cell::kAverage, Decimal(AverageLatency(sum, answered)));
  table.SetCell(row, cell::kLoss, LossText(table.Kind(), lost, answered));
}

}  // namespace

std::string_view QualityRating(std::int32_t latencyMs) {
  if (latencyMs < 15) return "非常好";
  if (latencyMs < 55) return "好";
  if (latencyMs < 100) return "一般";
  return "差";
}

std::string LossText(TableKind kind, std::uint32_t lost, std::uint32_t answered) {
  // The total is shown as a signed 32-bit count, like the counters it sums.
  const auto total = static_cast<std::int32_t>(lost + answered);
  const double divisor = total == 0 ? 1.0 : static_cast<double>(total);
  const double percent = static_cast<double>(lost) * 100.0 / divisor;
  char text[96];
  std::snprintf(text, sizeof text, kind == TableKind::kDns ? "%.2f%%   [%d(%d)]" : " %.2f%%   [%d(%d)]", percent,
                static_cast<std::int32_t>(lost), total);
  return text;
}

std::uint32_t AverageLatency(std::uint32_t latencySum, std::uint32_t answered) {
  return latencySum / (answered == 0 ? 1u : answered);
}

std::uint32_t DisplayedLatency(std::uint32_t elapsedMs) { return elapsedMs + 1; }

void RecordSuccess(ProbeTable& table, const RowRef& row, std::uint32_t elapsedMs,
                   std::optional<Ipv4NetOrder> resolved) {
  if (!row) return;
  RowCounters& counters = *row.counters;
  counters.answered.fetch_add(1, kRelaxed);
  const std::uint32_t latency = DisplayedLatency(elapsedMs);
  counters.latencySum.fetch_add(latency, kRelaxed);
  table.SetCell(row.id, cell::kLatency, Decimal(static_cast<std::int32_t>(latency)));
  if (table.Kind() == TableKind::kDns && resolved) table.SetCell(row.id, cell::kDnsAddress, FormatIpv4(*resolved));
  const std::uint32_t average = AverageLatency(counters.latencySum.load(kRelaxed), counters.answered.load(kRelaxed));
  table.SetCell(row.id, QualityColumn(table.Kind()), QualityRating(static_cast<std::int32_t>(average)));
  WriteCommonTail(table, row.id, counters);
}

void RecordTimeout(ProbeTable& table, const RowRef& row) {
  if (!row) return;
  RowCounters& counters = *row.counters;
  table.SetCell(row.id, cell::kLatency, kTimeoutText);
  counters.lost.fetch_add(1, kRelaxed);
  table.SetCell(row.id, QualityColumn(table.Kind()), QualityRating(100));
  WriteCommonTail(table, row.id, counters);
}

Sample MakeSample(std::chrono::system_clock::time_point started, const ProbeOutcome& outcome) {
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(outcome.roundTrip).count();
  // A round trip is never negative; one of more than 71 minutes cannot happen
  // with the probes' time-outs but is kept within the field.
  const auto clamped = std::clamp<std::int64_t>(micros, 0, UINT32_MAX);
  return Sample{started, static_cast<std::uint32_t>(clamped), outcome.reason};
}

void RecordSample(const ProbeTable& table, const RowRef& row, const std::string& target, const Sample& sample,
                  const SampleListener& listener) {
  if (!row) return;
  row.counters->history.Append(sample);
  if (!listener) return;
  if (table.Cell(row.id, cell::kTarget).empty()) return;  // deleted while it was probed
  listener(table.Kind(), row.id, target, sample);
}

}  // namespace qnc
