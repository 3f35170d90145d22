#include "win32_app/table_lists.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "probe/table_schema.h"
#include "ui/control_ids.h"
#include "ui/table_columns.h"
#include "win32_app/window_messages.h"
#include "win32_ui/wide_text.h"

namespace qnc {

namespace {

constexpr PerTable<int> kListIds{id::kDnsTable, id::kPingTable, id::kGameTable};
// The last column keeps at least this much when the columns are fitted.
constexpr int kNarrowestLastColumnPx = 40;

// The columns' pixel widths are made for the dialog font's usual metrics; with
// a font a little wider than that (Wine's substitute for "MS Shell Dlg", a
// large-font setting) the list gets narrower than its columns and shows a
// horizontal scroll bar over its last rows. Then the last column gives up the
// overflow, with room kept for a vertical scroll bar once rows fill the list.
void FitColumnsToList(HWND list, int columnCount) {
  if (columnCount == 0) return;
  RECT client{};
  GetClientRect(list, &client);
  const int room = (client.right - client.left) - GetSystemMetrics(SM_CXVSCROLL);
  int total = 0;
  for (int index = 0; index < columnCount; ++index) total += ListView_GetColumnWidth(list, index);
  if (total <= room) return;
  const int last = ListView_GetColumnWidth(list, columnCount - 1);
  ListView_SetColumnWidth(list, columnCount - 1, std::max(last - (total - room), kNarrowestLastColumnPx));
}

}  // namespace

TableLists::TableLists(ProbeSession& session) : session_(session) {}

TableLists::~TableLists() { Detach(); }

bool TableLists::KindOfControl(int controlId, TableKind& kind) {
  for (const TableKind candidate : kAllTables) {
    if (kListIds[candidate] == controlId) {
      kind = candidate;
      return true;
    }
  }
  return false;
}

HWND TableLists::List(TableKind kind) const { return GetDlgItem(window_, kListIds[kind]); }

void TableLists::Attach(HWND window) {
  window_ = window;
  for (const TableKind kind : kAllTables) {
    HWND list = List(kind);
    ListView_SetExtendedListViewStyleEx(list, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    const auto& columns = TableColumns(kind);
    const auto& schema = SchemaOf(kind).columns;
    const std::size_t columnCount = std::min(columns.size(), schema.size());
    for (std::size_t index = 0; index < columnCount; ++index) {
      std::wstring caption = Utf16(schema[index].caption);
      LVCOLUMNW column{};
      column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
      column.fmt = columns[index].centred ? LVCFMT_CENTER : LVCFMT_LEFT;
      column.cx = columns[index].widthPx;
      column.pszText = caption.data();
      column.iSubItem = static_cast<int>(index);
      ListView_InsertColumn(list, static_cast<int>(index), &column);
    }
    FitColumnsToList(list, static_cast<int>(columnCount));
    pending_[kind].store(false);
    session_.Table(kind).SetCellChangedListener([this, kind] {
      // On the writing thread: one notice waits at a time; the window reads
      // everything that changed meanwhile when it handles it.
      if (!pending_[kind].exchange(true)) {
        PostMessageW(window_, message::kCellsChanged, static_cast<WPARAM>(kind), 0);
      }
    });
  }
  SyncAll();
}

void TableLists::Detach() {
  if (window_ == nullptr) return;
  for (const TableKind kind : kAllTables) session_.Table(kind).SetCellChangedListener(nullptr);
  window_ = nullptr;
}

void TableLists::OnCellsChanged(TableKind kind) {
  pending_[kind].store(false);
  Sync(kind);
}

void TableLists::SyncAll() {
  for (const TableKind kind : kAllTables) Sync(kind);
}

void TableLists::Sync(TableKind kind) {
  HWND list = List(kind);
  const int rows = session_.Table(kind).RowCount();
  if (ListView_GetItemCount(list) != rows) {
    ListView_SetItemCountEx(list, rows, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
  }
  InvalidateRect(list, nullptr, FALSE);
}

void TableLists::FillDisplayInfo(TableKind kind, NMLVDISPINFOW& info) const {
  if ((info.item.mask & LVIF_TEXT) == 0 || info.item.pszText == nullptr || info.item.cchTextMax <= 0) return;
  const std::wstring text = Utf16(session_.Table(kind).CellAt(info.item.iItem, info.item.iSubItem));
  const std::size_t room = static_cast<std::size_t>(info.item.cchTextMax) - 1;
  const std::size_t length = std::min(text.size(), room);
  std::copy_n(text.data(), length, info.item.pszText);
  info.item.pszText[length] = L'\0';
}

int TableLists::SelectionMark(TableKind kind) const {
  const int mark = ListView_GetSelectionMark(List(kind));
  return mark < session_.Table(kind).RowCount() ? mark : -1;
}

void TableLists::ClearSelection(TableKind kind) {
  HWND list = List(kind);
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetSelectionMark(list, -1);
}

}  // namespace qnc
