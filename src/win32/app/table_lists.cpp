#include "win32/app/table_lists.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/probe/probe_table.h"
#include "core/probe/row_update.h"
#include "core/probe/table_schema.h"
#include "core/probe/table_store.h"
#include "views/commands/row_tip_text.h"
#include "views/commands/table_copy_text.h"
#include "views/templates/control_ids.h"
#include "views/templates/table_columns.h"
#include "win32/app/window_messages.h"
#include "win32/widgets/wide_text.h"

namespace qnc {

namespace {

constexpr PerTable<int> kListIds{id::kDnsTable, id::kPingTable, id::kGameTable};

// Room beside a cell's text, in dialog units: the list's margins and a gap.
constexpr int kCellPaddingDu = 8;
// How wide a row's tip may grow before its lines wrap, in dialog units.
constexpr int kTipWidthDu = 240;

// Copies as much of `text` as fits (with its terminating zero) into a
// buffer of `room` characters that a list view gave.
void CopyInto(const std::wstring& text, wchar_t* buffer, int room) {
  if (buffer == nullptr || room <= 0) return;
  const std::size_t length = std::min(text.size(), static_cast<std::size_t>(room) - 1);
  std::copy_n(text.data(), length, buffer);
  buffer[length] = L'\0';
}

// Texts a column must show whole whatever rows it holds now: the time-out
// word and a four-digit latency, the loss of a row counted into three digits,
// the longest quality word, a full IPv4 address.
std::vector<std::string> ExpectedTexts(TableKind kind, int column) {
  switch (column) {
    case cell::kLatency:
    case cell::kAverage:
      return {"超时", "9999"};
    case cell::kLoss:
      return {LossText(kind, 999, 0)};
    default:
      break;
  }
  if (column == QualityColumn(kind)) return {"非常好"};
  if (kind == TableKind::kDns && column == cell::kDnsAddress) return {"255.255.255.255"};
  return {};
}

// What each column needs: its caption, its expected texts and the texts of
// the rows it holds now, each with the cell padding.
std::vector<int> NeededWidths(HWND list, TableKind kind, const TableStore& table, std::size_t columnCount,
                              int paddingPx) {
  std::vector<int> needed(columnCount, 0);
  const auto widen = [&](std::size_t column, const std::string& text) {
    const int width = ListView_GetStringWidth(list, Utf16(text).c_str());
    needed[column] = std::max(needed[column], width + paddingPx);
  };
  const auto& schema = SchemaOf(kind).columns;
  const int rows = table.RowCount();
  for (std::size_t column = 0; column < columnCount; ++column) {
    const int cellIndex = static_cast<int>(column);
    widen(column, std::string(schema[column].caption));
    for (const std::string& text : ExpectedTexts(kind, cellIndex)) widen(column, text);
    for (int row = 0; row < rows; ++row) widen(column, table.CellAt(row, cellIndex));
  }
  return needed;
}

// The columns' designed pixel widths are for one scale and one font; the
// list itself is laid out in dialog units and grows with the display scale
// and the font. So the columns are fitted to the list: each as wide as its
// texts need, the rest of the list shared in the designed proportions, with
// room kept for a vertical scroll bar once rows fill the list.
std::vector<int> FittedColumnWidths(HWND window, HWND list, TableKind kind, const TableStore& table,
                                    std::size_t columnCount) {
  RECT padding{0, 0, kCellPaddingDu, 0};
  MapDialogRect(window, &padding);
  RECT client{};
  GetClientRect(list, &client);
  const int room = (client.right - client.left) - GetSystemMetrics(SM_CXVSCROLL);
  std::vector<TableColumn> designed = TableColumns(kind);
  designed.resize(columnCount);
  return FitColumnWidths(designed, NeededWidths(list, kind, table, columnCount, padding.right), room);
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
    ListView_SetExtendedListViewStyleEx(list, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    if (HWND tips = ListView_GetToolTips(list); tips != nullptr) {
      // A long tip (the ping notice) wraps into lines rather than running off the screen.
      RECT tipWidth{0, 0, kTipWidthDu, 0};
      MapDialogRect(window, &tipWidth);
      SendMessageW(tips, TTM_SETMAXTIPWIDTH, 0, tipWidth.right);
      // Shown as long as the pointer rests on the row: the notice takes a while to read.
      SendMessageW(tips, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(30000, 0));
    }
    const auto& columns = TableColumns(kind);
    const auto& schema = SchemaOf(kind).columns;
    const std::size_t columnCount = std::min(columns.size(), schema.size());
    const std::vector<int> widths = FittedColumnWidths(window, list, kind, session_.Table(kind), columnCount);
    for (std::size_t index = 0; index < columnCount; ++index) {
      std::wstring caption = Utf16(schema[index].caption);
      LVCOLUMNW column{};
      column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
      column.fmt = columns[index].centred ? LVCFMT_CENTER : LVCFMT_LEFT;
      column.cx = widths[index];
      column.pszText = caption.data();
      column.iSubItem = static_cast<int>(index);
      ListView_InsertColumn(list, static_cast<int>(index), &column);
    }
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
  if ((info.item.mask & LVIF_TEXT) == 0) return;
  CopyInto(Utf16(session_.Table(kind).CellAt(info.item.iItem, info.item.iSubItem)), info.item.pszText,
           info.item.cchTextMax);
}

void TableLists::FillInfoTip(TableKind kind, NMLVGETINFOTIPW& tip) const {
  const std::string text = RowTipText(session_.Table(kind), tip.iItem, notices_[kind]);
  // The list offers the cell's own text when it is cut off; a row with
  // nothing to say shows that as before.
  if (text.empty()) return;
  CopyInto(Utf16(text), tip.pszText, tip.cchTextMax);
}

void TableLists::SetTableNotice(TableKind kind, std::string notice) { notices_[kind] = std::move(notice); }

std::string TableLists::CopyText(TableKind kind) const {
  std::vector<int> rows;
  HWND list = List(kind);
  for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0;
       row = ListView_GetNextItem(list, row, LVNI_SELECTED)) {
    rows.push_back(row);
  }
  return TableCopyText(session_.Table(kind), std::move(rows));
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
