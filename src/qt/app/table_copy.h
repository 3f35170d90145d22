#pragma once
#include <QString>
#include <vector>

class QAbstractItemModel;
class QTableView;

namespace qnc {

// A table as text for the clipboard: the column captions on the first line,
// then one line per row (in the order given; every row when `rows` is empty),
// cells separated by tabs. Tabs and line breaks inside a cell become blanks,
// so that every line keeps its columns when pasted into a spreadsheet.
QString TableAsText(const QAbstractItemModel& model, const std::vector<int>& rows);

// Ctrl+C (the platform's copy key) on the view puts its selected rows, or all
// its rows when none is selected, on the clipboard as TableAsText.
void EnableRowCopy(QTableView& view);

}  // namespace qnc
