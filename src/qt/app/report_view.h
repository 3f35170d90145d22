#pragma once

class QTableView;

namespace qnc {

class ProbeTableModel;

// Sets a table view up as a report-style list of a measured table: column
// captions and pixel widths, grid lines, whole rows selected, several rows at
// once, no in-place editing, a context menu on request, Tab leaving the view,
// Ctrl+C copying the selected rows.
void SetUpReportView(QTableView& view, ProbeTableModel& model);

}  // namespace qnc
