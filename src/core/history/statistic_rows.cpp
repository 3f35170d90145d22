#include "core/history/statistic_rows.h"

#include <chrono>
#include <cstdio>
#include <iterator>
#include <optional>
#include <string>

#include "core/history/history_text.h"

namespace qnc {

namespace {

std::string PercentText(double percent) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f%%", percent);
  return text;
}

std::string ReasonText(const std::optional<FailureReason>& reason) {
  return reason ? std::string(FailureText(*reason)) : std::string(kNoFigureText);
}

std::string TimeText(const std::optional<std::chrono::system_clock::time_point>& time) {
  return time ? DateTimeText(*time) : std::string(kNoFigureText);
}

}  // namespace

std::vector<StatisticRow> StatisticRowsOf(const RowStatistics& s) {
  const bool lastFailed = s.lastOutcome && *s.lastOutcome != FailureReason::kNone;
  const std::string values[] = {
      std::to_string(s.count),      std::to_string(s.answered),
      PercentText(s.lossPercent),   lastFailed ? ReasonText(s.lastOutcome) : MillisecondsText(s.lastMs),
      MillisecondsText(s.meanMs),   MillisecondsText(s.jitterMs),
      MillisecondsText(s.minMs),    MillisecondsText(s.maxMs),
      MillisecondsText(s.stddevMs), MillisecondsText(s.medianMs),
      MillisecondsText(s.p95Ms),    MillisecondsText(s.p99Ms),
      TimeText(s.lastFailure),      ReasonText(s.commonFailure)};
  static_assert(std::size(values) == kStatisticCaptions.size());
  std::vector<StatisticRow> rows;
  rows.reserve(kStatisticCaptions.size());
  for (std::size_t at = 0; at < kStatisticCaptions.size(); ++at) rows.push_back({kStatisticCaptions[at], values[at]});
  return rows;
}

}  // namespace qnc
