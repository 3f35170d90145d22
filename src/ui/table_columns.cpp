#include "ui/table_columns.h"

namespace qnc {

const std::vector<TableColumn>& TableColumns(TableKind kind) {
  static const PerTable<std::vector<TableColumn>> columns{
      {{150, true}, {100, false}, {100, false}, {160, false}, {120, false}, {90, false}},
      {{150, true}, {100, false}, {100, false}, {250, false}, {190, false}},
      {{200, true}, {80, false}, {100, false}, {110, false}, {80, false}, {190, false}},
  };
  return columns[kind];
}

}  // namespace qnc
