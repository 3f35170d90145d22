#pragma once
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "core/probe/sample.h"

namespace qnc {

// The recent-failures list shows this many, newest first; the chart and the
// export have all of them.
inline constexpr std::size_t kShownFailures = 100;

// One failed probe as the list shows it.
struct FailureRow {
  std::string time;      // "2026-12-11 09:25:18"
  std::string reason;    // "连接被拒绝"
  std::string duration;  // how long until the failure was known: "0.04 ms"
};

// The newest `limit` failures of `samples` (given oldest first), newest first.
std::vector<FailureRow> RecentFailureRows(std::span<const Sample> samples, std::size_t limit = kShownFailures);

}  // namespace qnc
