#include "core/diagnosis/network_state_of_tables.h"

#include <algorithm>

#include "core/diagnosis/diagnosis.h"
#include "core/probe/row_statistics.h"

namespace qnc {

NetworkState NetworkStateOf(const std::vector<const TableStore*>& tables, const std::string& gatewayAddress,
                            std::vector<DnsServerHealth> dnsServers, std::chrono::system_clock::time_point now,
                            std::optional<std::chrono::system_clock::time_point> retestedAt) {
  using std::chrono::duration_cast;
  using std::chrono::seconds;
  NetworkState state;
  state.dnsServers = std::move(dnsServers);
  auto since = now - diagnosis::kWindow;
  if (retestedAt && *retestedAt > since) {
    since = std::min(*retestedAt, now);
    state.sinceRetest = true;
  }
  state.window = duration_cast<seconds>(now - since);  // whole seconds, rounded down

  for (const TableStore* table : tables) {
    for (int index = 0; index < table->RowCount(); ++index) {
      const RowRef row = table->RowAt(index);
      if (!row) continue;
      std::string target = table->Cell(row.id, cell::kTarget);
      if (target.empty()) continue;
      const auto history = table->History(row.id);
      if (!history) continue;  // deleted meanwhile
      std::vector<Sample> samples = history->Samples();
      std::erase_if(samples, [&](const Sample& sample) { return sample.time < since || sample.time > now; });
      const RowStatistics statistics = ComputeRowStatistics(samples);
      RowHealth health;
      health.table = table->Kind();
      health.gateway = table->Kind() == TableKind::kPing && !gatewayAddress.empty() && target == gatewayAddress;
      health.target = std::move(target);
      health.samples = static_cast<std::uint32_t>(statistics.count);
      health.failed = static_cast<std::uint32_t>(statistics.count - statistics.answered);
      health.averageMs = statistics.meanMs.value_or(0);
      health.jitterMs = statistics.jitterMs.value_or(0);
      for (std::size_t reason = 0; reason < health.failures.size(); ++reason) {
        health.failures[reason] = static_cast<std::uint32_t>(statistics.failures[reason]);
      }
      state.rows.push_back(std::move(health));
    }
  }
  return state;
}

}  // namespace qnc
