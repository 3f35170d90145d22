// Reads the three list views of a running main window from outside its
// process, as a user sees them, and checks that they hold the default rows
// under the table captions (targets, and the game rows' descriptions), and
// that no list is wider in its columns than in its window (no horizontal
// scroll bar).
// Prints every row it read (UTF-8, tab-separated).
// Usage: qnc_window_lists_check [SECONDS]  (how long to wait for the window; default 30)
// Exit status 0 when the lists match, 1 when not, 2 when the window never came.
#include <windows.h>
// After windows.h:
#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "probe/default_rows.h"
#include "probe/probe_table.h"
#include "probe/table_schema.h"
#include "remote_window.h"
#include "ui/control_ids.h"

namespace {

using qnc::TableKind;
using qnc::remote::Print;

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
  bool same = CheckTable(window, TableKind::kDns, qnc::id::kDnsTable, qnc::DefaultDnsRows(), 3);
  same = CheckTable(window, TableKind::kPing, qnc::id::kPingTable, ping, ping.size() - 1) && same;
  same = CheckTable(window, TableKind::kGame, qnc::id::kGameTable, qnc::DefaultGameRows(), 3) && same;
  Print(same ? "the lists hold the default rows\n" : "the lists differ from the default rows\n");
  return same ? 0 : 1;
}
