#pragma once
#include <cstdint>
#include <functional>
#include <mutex>

#include "platform/ticks.h"

namespace qnc {

// Bytes moved since the previous report line.
struct MeterDeltas {
  std::int64_t sent = 0;
  std::int64_t received = 0;
};

// A copy of every field, for tests and benchmarks.
struct MeterReading {
  std::uint32_t lastReportTick = 0;
  std::int64_t receivedTotal = 0;
  std::int64_t sentTotal = 0;
  std::int64_t receivedAtReport = 0;
  std::int64_t sentAtReport = 0;
};

// Byte counters of one side of the LAN test (all its connections together)
// with a report about once a second. Any thread of the side may add or report;
// one lock covers the check, the caller's line and the snapshot, so a due
// report is taken by exactly one thread and its deltas match the snapshot.
class ThroughputMeter {
 public:
  static constexpr std::uint32_t kReportIntervalMs = 1000;

  explicit ThroughputMeter(std::uint32_t lastReportTick = 0);

  // Adds one exchange; a failed send (negative count) adds nothing.
  void Add(std::int64_t received, std::int64_t sent);

  void SetLastReportTick(std::uint32_t tick);

  // Reads the tick from `ticks` and, when at least a second has passed since
  // the last report (differences taken modulo 2^32), calls `write` with the
  // deltas and then moves the snapshot. Returns whether a report was taken.
  bool ReportIfDue(const TickSource& ticks, const std::function<void(const MeterDeltas&)>& write);

  MeterReading Read() const;

 private:
  mutable std::mutex mutex_;
  MeterReading fields_;
};

}  // namespace qnc
