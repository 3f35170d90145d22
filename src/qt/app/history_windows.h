#pragma once
#include <QPointer>
#include <map>
#include <string>
#include <utility>

#include "core/probe/probe_session.h"
#include "qt/history/diagnosis_window.h"
#include "qt/history/row_details_window.h"

class QAbstractItemModel;
class QWidget;

namespace qnc {

// The main window's windows on the history of its rows: one details window
// per row (a second double click raises it) and the one diagnosis window, all
// without blocking the main window. Deletes every window it opened when it
// goes, which the main window makes happen before its tables go.
class HistoryWindows {
 public:
  // `gatewayAddress`: the ping row of this target is the gateway (empty: none).
  HistoryWindows(QWidget& owner, ProbeSession& session, std::string gatewayAddress);
  HistoryWindows(const HistoryWindows&) = delete;
  HistoryWindows& operator=(const HistoryWindows&) = delete;
  ~HistoryWindows();

  // The details window of the row now at `index` of the table, opened or
  // raised; null when there is no such row.
  RowDetailsWindow* OpenRowDetails(TableKind table, int index);
  // The details window of a row, when one is open.
  RowDetailsWindow* RowDetails(TableKind table, RowId row) const;
  // The diagnosis window, opened, or raised and run again.
  DiagnosisWindow* OpenDiagnosis();
  DiagnosisWindow* Diagnosis() const { return diagnosis_; }

  // Lets the details windows of a table close at once when a row of it goes,
  // rather than at their next look.
  void WatchRowRemovals(TableKind table, QAbstractItemModel& model);
  NetworkState CurrentState() const;

 private:
  void CheckRowsOf(TableKind table);

  QWidget& owner_;
  ProbeSession& session_;
  const std::string gatewayAddress_;
  std::map<std::pair<TableKind, RowId>, QPointer<RowDetailsWindow>> details_;
  QPointer<DiagnosisWindow> diagnosis_;
};

}  // namespace qnc
