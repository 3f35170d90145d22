#include "views/templates/table_columns.h"

#include <cstddef>
#include <cstdint>

namespace qnc {

const std::vector<TableColumn>& TableColumns(TableKind kind) {
  static const PerTable<std::vector<TableColumn>> columns{
      {{150, true}, {100, false}, {100, false}, {160, false}, {120, false}, {90, false}},
      {{150, true}, {100, false}, {100, false}, {250, false}, {190, false}},
      {{200, true}, {80, false}, {100, false}, {110, false}, {80, false}, {190, false}},
  };
  return columns[kind];
}

std::vector<int> FitColumnWidths(const std::vector<TableColumn>& columns, const std::vector<int>& leastPx, int roomPx) {
  const std::size_t count = columns.size();
  std::vector<int> widths(count, 0);
  std::vector<bool> atLeast(count, false);
  const auto least = [&](std::size_t column) { return column < leastPx.size() ? leastPx[column] : 0; };
  // A column whose share falls below its need takes its need, and the others
  // share what is left; repeated until every share covers its column's need.
  for (;;) {
    std::int64_t free = roomPx;
    std::int64_t weight = 0;
    for (std::size_t column = 0; column < count; ++column) {
      if (atLeast[column]) {
        free -= least(column);
      } else {
        weight += columns[column].widthPx;
      }
    }
    if (weight <= 0 || free <= 0) {
      for (std::size_t column = 0; column < count; ++column) {
        if (!atLeast[column]) widths[column] = least(column);
        atLeast[column] = true;
      }
    }
    bool settled = true;
    std::int64_t weightBefore = 0;
    for (std::size_t column = 0; column < count; ++column) {
      if (atLeast[column]) {
        widths[column] = least(column);
        continue;
      }
      // Shares of a running total: the rounding never loses a pixel.
      const std::int64_t weightAfter = weightBefore + columns[column].widthPx;
      widths[column] = static_cast<int>(free * weightAfter / weight - free * weightBefore / weight);
      weightBefore = weightAfter;
      if (widths[column] < least(column)) {
        atLeast[column] = true;
        settled = false;
      }
    }
    if (settled) return widths;
  }
}

}  // namespace qnc
