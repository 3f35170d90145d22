#pragma once
#include <vector>

#include "probe/probe_table.h"

namespace qnc {

// One column of a measured table's list view: caption, width in pixels and
// whether its text is centred (otherwise left-aligned).
struct TableColumn {
  const char* caption;
  int widthPx;
  bool centred;
};

// The columns of a table, in cell order.
const std::vector<TableColumn>& TableColumns(TableKind kind);

}  // namespace qnc
