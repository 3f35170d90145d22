#pragma once
#include <windows.h>
// After windows.h:
#include <commctrl.h>

#include <atomic>
#include <string>

#include "core/model/table_kind.h"
#include "core/probe/probe_session.h"

namespace qnc {

// The main window's three list views presenting the session's tables. The
// lists are owner-data report views: they hold no rows of their own, and
// each cell they draw is read from the table store when they draw it. The
// workers write the stores on their own threads; a store's change posts one
// kCellsChanged to the window (never more than one waiting per table), and
// the window then repaints that list and takes over its row count.
class TableLists {
 public:
  explicit TableLists(ProbeSession& session);
  ~TableLists();
  TableLists(const TableLists&) = delete;
  TableLists& operator=(const TableLists&) = delete;

  // Sets up the columns (captions, widths fitted to the list and to the
  // texts they show, the centred first column, grid lines and full-row
  // selection) and starts listening to the stores.
  // Before the workers start.
  void Attach(HWND window);
  // Stops listening; after the workers have stopped.
  void Detach();

  HWND List(TableKind kind) const;
  // The table whose list has this control id, if any.
  static bool KindOfControl(int controlId, TableKind& kind);

  // kCellsChanged: repaint the list and follow the store's row count.
  void OnCellsChanged(TableKind kind);
  // After rows were added or deleted on this thread.
  void SyncAll();
  // LVN_GETDISPINFOW: copies the cell's text into the list's buffer.
  void FillDisplayInfo(TableKind kind, NMLVDISPINFOW& info) const;
  // LVN_GETINFOTIPW: the row's tip (why its latest probe failed, and the
  // table's notice); the list shows none when there is nothing to say.
  void FillInfoTip(TableKind kind, NMLVGETINFOTIPW& tip) const;
  // A notice that every row of the table gives in its tip; empty: none.
  void SetTableNotice(TableKind kind, std::string notice);
  // The selected rows, or every row when none is selected, with the captions,
  // as text for the clipboard.
  std::string CopyText(TableKind kind) const;
  // The list's selection mark, -1 when none or past the last row.
  int SelectionMark(TableKind kind) const;
  // Forgets the selection (after its row was deleted).
  void ClearSelection(TableKind kind);

 private:
  void Sync(TableKind kind);

  ProbeSession& session_;
  HWND window_ = nullptr;
  PerTable<std::atomic<bool>> pending_;
  PerTable<std::string> notices_;
};

}  // namespace qnc
