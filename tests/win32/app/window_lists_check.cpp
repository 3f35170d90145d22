// Reads the three list views of a running main window from outside its
// process, as a user sees them, and checks that they hold the default rows
// under the table captions (targets, and the game rows' descriptions), that
// no list is wider in its columns than in its window (no horizontal scroll
// bar), that the columns span their list at any display scale and show
// every cell whole, the loss of a row counted into three digits included,
// and that the window lies inside the screen's work area.
// Prints every row it read (UTF-8, tab-separated).
// Usage: qnc_window_lists_check [SECONDS]  (how long to wait for the window; default 30)
// Exit status 0 when the lists match, 1 when not, 2 when the window never came.
#include <windows.h>
// After windows.h:
#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/probe/default_rows.h"
#include "core/probe/probe_table.h"
#include "core/probe/row_update.h"
#include "core/probe/table_schema.h"
#include "remote_window.h"
#include "views/templates/control_ids.h"

namespace {

using qnc::TableKind;
using qnc::remote::Print;

// The columns span the list but for the room of a vertical scroll bar, and
// each is wider than the texts it shows now and the loss of a row counted
// into three digits.
bool CheckColumnWidths(HWND list, TableKind kind, qnc::remote::ListReader& reader) {
  const std::string name = "list " + std::to_string(GetDlgCtrlID(list));
  const int columns = qnc::ColumnCount(kind);
  std::vector<int> widths;
  int total = 0;
  for (int column = 0; column < columns; ++column) {
    widths.push_back(reader.ColumnWidth(column));
    total += widths.back();
  }
  RECT client{};
  GetClientRect(list, &client);
  const int room = (client.right - client.left) - GetSystemMetrics(SM_CXVSCROLL);
  std::string shown;
  for (const int width : widths) shown += " " + std::to_string(width);
  Print(name + ": columns" + shown + " px in " + std::to_string(room) + " px\n");
  bool fits = true;
  if (total < room - columns || total > room) {
    Print(name + ": the columns take " + std::to_string(total) + " px of " + std::to_string(room) + "\n");
    fits = false;
  }
  const auto expectWhole = [&](int column, const std::string& text) {
    const int needed = reader.TextWidth(text);
    if (needed < widths[static_cast<std::size_t>(column)]) return;
    Print(name + " column " + std::to_string(column) + ": '" + text + "' needs " + std::to_string(needed) +
          " px, the column has " + std::to_string(widths[static_cast<std::size_t>(column)]) + "\n");
    fits = false;
  };
  expectWhole(qnc::cell::kLoss, qnc::LossText(kind, 999, 0));
  for (int row = 0; row < reader.RowCount(); ++row) {
    for (int column = 0; column < columns; ++column) expectWhole(column, reader.Cell(row, column));
  }
  return fits;
}

// The whole window lies in the work area of its monitor.
bool CheckInsideWorkArea(HWND window) {
  RECT frame{};
  GetWindowRect(window, &frame);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  Print("window " + std::to_string(frame.right - frame.left) + "x" + std::to_string(frame.bottom - frame.top) +
        " px at " + std::to_string(frame.left) + "," + std::to_string(frame.top) + "; work area " +
        std::to_string(work.right - work.left) + "x" + std::to_string(work.bottom - work.top) + " px\n");
  const bool inside =
      frame.left >= work.left && frame.top >= work.top && frame.right <= work.right && frame.bottom <= work.bottom;
  if (!inside) Print("the window reaches past the work area\n");
  return inside;
}

// Compares one table; prints what it read and every difference.
bool CheckTable(HWND window, TableKind kind, int listId, const std::vector<qnc::DefaultRow>& expected,
                std::size_t targetsToCompare) {
  HWND list = GetDlgItem(window, listId);
  qnc::remote::ListReader reader(list);
  if (list == nullptr || !reader.Usable()) {
    Print("list " + std::to_string(listId) + ": cannot be read\n");
    return false;
  }
  bool same = true;
  if ((GetWindowLongW(list, GWL_STYLE) & WS_HSCROLL) != 0) {
    Print("list " + std::to_string(listId) + ": shows a horizontal scroll bar\n");
    same = false;
  }
  const auto& columns = qnc::SchemaOf(kind).columns;
  for (std::size_t column = 0; column < columns.size(); ++column) {
    const std::string caption = reader.Caption(static_cast<int>(column));
    if (caption != columns[column].caption) {
      Print("list " + std::to_string(listId) + " column " + std::to_string(column) + ": caption '" + caption +
            "', expected '" + std::string(columns[column].caption) + "'\n");
      same = false;
    }
  }
  same = CheckColumnWidths(list, kind, reader) && same;
  const auto rows = static_cast<std::size_t>(reader.RowCount());
  Print("list " + std::to_string(listId) + ": " + std::to_string(rows) + " rows\n");
  for (std::size_t row = 0; row < rows; ++row) {
    std::string line;
    for (std::size_t column = 0; column < columns.size(); ++column) {
      line += (column == 0 ? "  " : "\t") + reader.Cell(static_cast<int>(row), static_cast<int>(column));
    }
    Print(line + "\n");
  }
  if (rows != expected.size()) {
    Print("  expected " + std::to_string(expected.size()) + " rows\n");
    return false;
  }
  for (std::size_t row = 0; row < targetsToCompare; ++row) {
    const std::string target = reader.Cell(static_cast<int>(row), 0);
    if (target != expected[row].target) {
      Print("  row " + std::to_string(row) + ": '" + target + "', expected '" + expected[row].target + "'\n");
      same = false;
    }
    // The game rows' descriptions: no worker writes them.
    for (const auto& [column, text] : expected[row].cells) {
      if (kind != TableKind::kGame || column != qnc::cell::kGameDescription) continue;
      const std::string shown = reader.Cell(static_cast<int>(row), column);
      if (shown != text) {
        Print("  row " + std::to_string(row) + " description: '" + shown + "', expected '" + text + "'\n");
        same = false;
      }
    }
  }
  return same;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int waitSeconds = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 30;
  HWND window = qnc::remote::WaitForWindow(qnc::kMainWindowTitle, waitSeconds * 1000);
  if (window == nullptr) {
    Print(std::string("no window titled ") + qnc::kMainWindowTitle + "\n");
    return 2;
  }
  // The ping table's fourth row is the gateway, whatever this machine has.
  const std::vector<qnc::DefaultRow> ping = qnc::DefaultPingRows("");
  bool same = CheckInsideWorkArea(window);
  same = CheckTable(window, TableKind::kDns, qnc::id::kDnsTable, qnc::DefaultDnsRows(), 3) && same;
  same = CheckTable(window, TableKind::kPing, qnc::id::kPingTable, ping, ping.size() - 1) && same;
  same = CheckTable(window, TableKind::kGame, qnc::id::kGameTable, qnc::DefaultGameRows(), 3) && same;
  Print(same ? "the lists hold the default rows\n" : "the lists differ from the default rows\n");
  return same ? 0 : 1;
}
