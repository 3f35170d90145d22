#include "diagnosis/network_state_of_tables.h"

#include <optional>

#include "probe/row_statistics.h"

namespace qnc {

NetworkState NetworkStateOf(const std::vector<const TableStore*>& tables, const std::string& gatewayAddress,
                            std::vector<DnsServerHealth> dnsServers) {
  NetworkState state;
  state.dnsServers = std::move(dnsServers);
  for (const TableStore* table : tables) {
    for (int index = 0; index < table->RowCount(); ++index) {
      const RowRef row = table->RowAt(index);
      if (!row) continue;
      std::string target = table->Cell(row.id, cell::kTarget);
      if (target.empty()) continue;
      const std::optional<RowStatistics> figures = table->Statistics(row.id);
      if (!figures) continue;  // deleted meanwhile
      const RowStatistics& statistics = *figures;
      RowHealth health;
      health.table = table->Kind();
      health.gateway = table->Kind() == TableKind::kPing && !gatewayAddress.empty() && target == gatewayAddress;
      health.target = std::move(target);
      health.samples = static_cast<std::uint32_t>(statistics.count);
      health.failed = static_cast<std::uint32_t>(statistics.count - statistics.answered);
      health.averageMs = statistics.meanMs.value_or(0);
      health.jitterMs = statistics.jitterMs.value_or(0);
      state.rows.push_back(std::move(health));
    }
  }
  return state;
}

}  // namespace qnc
