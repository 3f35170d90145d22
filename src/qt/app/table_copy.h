#pragma once

class QTableView;

namespace qnc {

// Ctrl+C (the platform's copy key) on a view of a ProbeTableModel puts its
// selected rows, or all its rows when none is selected, on the clipboard as
// TableCopyText.
void EnableRowCopy(QTableView& view);

}  // namespace qnc
