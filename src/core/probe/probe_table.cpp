#include "core/probe/probe_table.h"

namespace qnc {

void ResetCounters(ProbeTable& table) {
  table.ForEachRowCounters([](RowCounters& counters) { counters.Reset(); });
}

}  // namespace qnc
