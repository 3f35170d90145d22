#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/probe/probe_outcome.h"
#include "core/probe/probe_table.h"
#include "core/probe/sample.h"
#include "core/probe/sample_listener.h"
#include "platform/ipv4.h"

namespace qnc {

inline constexpr std::string_view kTimeoutText = "超时";

// The one-word rating of a latency in milliseconds.
std::string_view QualityRating(std::int32_t latencyMs);

// The loss cell: "%.2f%%   [%d(%d)]", with one leading blank in the ping and game tables.
std::string LossText(TableKind kind, std::uint32_t lost, std::uint32_t answered);

// The average shown for a row: latencySum / answered, 0 answered counting as 1.
std::uint32_t AverageLatency(std::uint32_t latencySum, std::uint32_t answered);

// The latency a success shows and adds to latencySum, in every table: the
// elapsed ticks plus one, since a tick is a whole millisecond.
std::uint32_t DisplayedLatency(std::uint32_t elapsedMs);

// The row update after a successful probe that took elapsedMs ticks. The DNS
// table also gets the resolved address. Results for a row that has gone reach
// no table.
void RecordSuccess(ProbeTable& table, const RowRef& row, std::uint32_t elapsedMs,
                   std::optional<Ipv4NetOrder> resolved = std::nullopt);

// The row update after a failed probe of any kind.
void RecordTimeout(ProbeTable& table, const RowRef& row);

// The sample of a probe that started at wall-clock time `started` and ended
// as `outcome`.
Sample MakeSample(std::chrono::system_clock::time_point started, const ProbeOutcome& outcome);

// Keeps a finished probe's sample in its row's history and hands it to the
// listener (when set and the row still exists).
void RecordSample(const ProbeTable& table, const RowRef& row, const std::string& target, const Sample& sample,
                  const SampleListener& listener);

}  // namespace qnc
