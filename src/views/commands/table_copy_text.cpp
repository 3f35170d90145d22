#include "views/commands/table_copy_text.h"

#include <algorithm>

#include "core/probe/table_schema.h"

namespace qnc {

namespace {

void AppendCell(std::string& text, std::string_view cell) {
  for (const char each : cell) text += (each == '\t' || each == '\n' || each == '\r') ? ' ' : each;
}

template <typename CellOf>
void AppendLine(std::string& text, int columns, CellOf cellOf) {
  for (int column = 0; column < columns; ++column) {
    if (column > 0) text += '\t';
    AppendCell(text, cellOf(column));
  }
  text += '\n';
}

}  // namespace

std::string TableCopyText(const TableStore& table, std::vector<int> rows) {
  const auto& schema = SchemaOf(table.Kind()).columns;
  const int columns = ColumnCount(table.Kind());
  // One consistent look at the rows, while workers go on writing.
  const std::vector<std::vector<std::string>> cells = table.Snapshot();
  const int rowCount = static_cast<int>(cells.size());
  if (rows.empty()) {
    for (int row = 0; row < rowCount; ++row) rows.push_back(row);
  }
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());

  std::string text;
  AppendLine(text, columns, [&](int column) { return schema[static_cast<std::size_t>(column)].caption; });
  for (const int row : rows) {
    if (row < 0 || row >= rowCount) continue;
    const std::vector<std::string>& line = cells[static_cast<std::size_t>(row)];
    AppendLine(text, columns, [&](int column) {
      const auto at = static_cast<std::size_t>(column);
      return at < line.size() ? std::string_view(line[at]) : std::string_view();
    });
  }
  return text;
}

}  // namespace qnc
