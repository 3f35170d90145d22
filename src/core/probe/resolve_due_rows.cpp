#include "core/probe/resolve_due_rows.h"

#include <chrono>

#include "core/probe/row_update.h"

namespace qnc {

std::vector<AddressedRow> ResolveDueRows(const std::vector<DueRow>& due, HostResolver& resolver, ProbeTable& table,
                                         const std::function<std::string(const std::string&)>& hostOf,
                                         const SampleListener& onSample, std::stop_token stop) {
  std::vector<AddressedRow> addressed;
  addressed.reserve(due.size());
  for (std::size_t i = 0; i < due.size(); ++i) {
    const auto started = std::chrono::system_clock::now();
    const ResolvedHost resolved = resolver.Resolve(hostOf(due[i].target), stop);
    if (stop.stop_requested()) return {};
    if (resolved.address) {
      addressed.push_back(AddressedRow{i, *resolved.address});
      continue;
    }
    RecordTimeout(table, due[i].row);
    RecordSample(table, due[i].row, due[i].target,
                 MakeSample(started, ProbeOutcome{resolved.failure, resolved.lookupTime}), onSample);
  }
  return addressed;
}

}  // namespace qnc
