#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "core/probe/probe_session.h"
#include "win32/history/diagnosis_window.h"
#include "win32/history/row_details_window.h"

namespace qnc {

// The main window's windows on the history of its rows: one details window
// per row (a second double click raises it) and the one diagnosis window,
// all beside the main window without blocking it. They go when the main
// window's object goes, which happens before its tables go.
class HistoryWindows {
 public:
  // `gatewayAddress`: the ping row of this target is the gateway (empty:
  // none). `windowClosed` is called when one of the windows has gone, on the
  // window thread; the owner then calls ForgetClosed outside that window's
  // own handling (a posted message).
  HistoryWindows(ProbeSession& session, std::string gatewayAddress, std::function<void()> windowClosed);
  HistoryWindows(const HistoryWindows&) = delete;
  HistoryWindows& operator=(const HistoryWindows&) = delete;
  ~HistoryWindows();

  // The details window of the row now at `index` of the table, opened over
  // `owner` or raised; null when there is no such row.
  RowDetailsWindow* OpenRowDetails(TableKind table, int index, HWND owner, HINSTANCE resources);
  // The diagnosis window, opened, or raised and run again.
  DiagnosisWindow* OpenDiagnosis(HWND owner, HINSTANCE resources);
  // After rows of a table went: their windows close now rather than at their next look.
  void CheckRows();
  // Lets go of the windows that have closed.
  void ForgetClosed();

 private:
  ProbeSession& session_;
  const std::string gatewayAddress_;
  std::function<void()> windowClosed_;
  std::map<std::pair<TableKind, RowId>, std::unique_ptr<RowDetailsWindow>> details_;
  std::unique_ptr<DiagnosisWindow> diagnosis_;
};

}  // namespace qnc
