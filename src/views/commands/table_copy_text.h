#pragma once
#include <string>
#include <vector>

#include "core/probe/table_store.h"

namespace qnc {

// A table as text for the clipboard: the column captions on the first line,
// then one line per row (in table order; every row when `rows` is empty),
// cells separated by tabs, each line ended by a line break. Tabs and line
// breaks inside a cell become blanks, so that every line keeps its columns
// when pasted into a spreadsheet. Rows past the end are left out.
std::string TableCopyText(const TableStore& table, std::vector<int> rows);

}  // namespace qnc
