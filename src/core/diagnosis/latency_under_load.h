#pragma once
#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/probe/row_statistics.h"
#include "core/probe/sample.h"

namespace qnc {

// When a throughput test loaded the link: the quiet stretch just before it,
// and the test itself. A queue that fills in the router or the Wi-Fi under
// load makes every packet wait behind it, so a row's round trips before and
// during the test show what the load adds.
struct LoadPeriods {
  std::chrono::system_clock::time_point idleFrom;   // the quiet stretch starts
  std::chrono::system_clock::time_point loadFrom;   // the test starts (and the quiet stretch ends)
  std::chrono::system_clock::time_point loadUntil;  // the test ends
};

// One row's round trips idle and under load.
struct LatencyUnderLoad {
  RowStatistics idle;
  RowStatistics loaded;
  // The loaded median minus the idle one, when both stretches have answers.
  std::optional<double> addedMs;
};

// Sorts a row's samples (oldest first) into the two stretches by the time each
// probe started; samples outside both are left out.
LatencyUnderLoad MeasureLatencyUnderLoad(std::span<const Sample> samples, const LoadPeriods& periods);

// The grade of the added latency, in the table's quality words: up to 5 ms a
// game does not feel ("非常好"), up to 30 ms hardly ("好"), up to 60 ms it
// shows in fast games ("一般"), more is lag every player feels ("差").
std::string_view LoadGrade(double addedMs);

// "负载下延迟增加 85 ms：差"; without answers in both stretches
// "负载下延迟：测量不足".
std::string LatencyUnderLoadText(const LatencyUnderLoad& result);

}  // namespace qnc
