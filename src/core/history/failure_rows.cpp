#include "core/history/failure_rows.h"

#include "core/history/history_text.h"
#include "core/probe/failure_reason.h"

namespace qnc {

std::vector<FailureRow> RecentFailureRows(std::span<const Sample> samples, std::size_t limit) {
  std::vector<FailureRow> rows;
  for (auto sample = samples.rbegin(); sample != samples.rend() && rows.size() < limit; ++sample) {
    if (sample->Answered()) continue;
    rows.push_back({DateTimeText(sample->time), std::string(FailureText(sample->outcome)),
                    MillisecondsText(sample->RoundTripMs())});
  }
  return rows;
}

}  // namespace qnc
