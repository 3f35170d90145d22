#pragma once
#include <vector>

#include "probe/table_kind.h"

namespace qnc {

// How one column of a measured table's list view is laid out: width in pixels
// and whether its text is centred (otherwise left-aligned). The captions come
// from the table's schema.
struct TableColumn {
  int widthPx;
  bool centred;
};

// The columns of a table, in cell order.
const std::vector<TableColumn>& TableColumns(TableKind kind);

}  // namespace qnc
