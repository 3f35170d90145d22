#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/app/safe_text.h"
#include "core/probe/probe_table.h"
#include "core/probe/row_statistics.h"

namespace qnc {

// One table as it stood at the end of a worker's pass.
struct TableSnapshot {
  TableKind kind;
  std::uint64_t pass = 0;
  std::string dnsServer;  // DNS table only: the server the pass queried
  std::vector<std::vector<std::string>> rows;
  // With --stats: each row's statistics, in row order; empty otherwise.
  std::vector<RowStatistics> stats;
};

// The table as aligned text: a title line, the headings, one line per row;
// with statistics a last column "stats" sums them up (median, p95, jitter and
// the last outcome).
std::string FormatTableText(const TableSnapshot& snapshot);

// The table as one line of JSON; with statistics each row also has "reason"
// (the last outcome's label) and "stats".
std::string FormatTableJson(const TableSnapshot& snapshot);

// The compact statistics of a row: "p50 12.30 p95 15.02 jit 0.81 timeout".
std::string CompactStatistics(const RowStatistics& stats);

}  // namespace qnc
