#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli/safe_text.h"
#include "probe/probe_table.h"

namespace qnc {

// One table as it stood at the end of a worker's pass.
struct TableSnapshot {
  TableKind kind;
  std::uint64_t pass = 0;
  std::string dnsServer;  // DNS table only: the server the pass queried
  std::vector<std::vector<std::string>> rows;
};

// The table as aligned text: a title line, the headings, one line per row.
std::string FormatTableText(const TableSnapshot& snapshot);

// The table as one line of JSON.
std::string FormatTableJson(const TableSnapshot& snapshot);

}  // namespace qnc
