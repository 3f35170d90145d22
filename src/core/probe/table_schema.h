#pragma once
#include <span>
#include <string_view>

#include "core/model/table_kind.h"

namespace qnc {

// One column of a measured table, in cell order.
struct ColumnSchema {
  std::string_view caption;  // the heading the window and the terminal show
  std::string_view jsonKey;  // the key of the cell in a JSON row
};

// What every front end needs to know of a table's shape.
struct TableSchema {
  std::string_view name;   // short name: "dns", "ping", "game"
  std::string_view title;  // the heading of the table in terminal output
  std::span<const ColumnSchema> columns;
  int qualityColumn;  // the cell that holds the quality word
};

const TableSchema& SchemaOf(TableKind kind);

inline int ColumnCount(TableKind kind) { return static_cast<int>(SchemaOf(kind).columns.size()); }
inline int QualityColumn(TableKind kind) { return SchemaOf(kind).qualityColumn; }

}  // namespace qnc
