#include "probe/probe_table.h"

namespace qnc {

int ColumnCount(TableKind kind) { return kind == TableKind::kPing ? 5 : 6; }

int QualityColumn(TableKind kind) { return kind == TableKind::kDns ? cell::kDnsQuality : cell::kQuality; }

void ResetCounters(ProbeTable& table) {
  table.ForEachRowCounters([](RowCounters& counters) { counters.Reset(); });
}

}  // namespace qnc
