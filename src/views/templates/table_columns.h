#pragma once
#include <vector>

#include "core/model/table_kind.h"

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

// Widths for `columns` that fill `roomPx` exactly, for a list whose width
// follows the window's scale: every column gets at least what it needs
// (`leastPx`, in the same order), and the room left over goes to the
// others in proportion to their widthPx. When even the needs do not fit,
// each column gets its need.
std::vector<int> FitColumnWidths(const std::vector<TableColumn>& columns, const std::vector<int>& leastPx, int roomPx);

}  // namespace qnc
