#include "win32/history/row_details_window.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>

#include "core/probe/table_schema.h"
#include "views/templates/history_templates.h"
#include "win32/history/latency_chart_painter.h"
#include "win32/widgets/wide_text.h"

namespace qnc {

namespace {

constexpr UINT_PTR kFollowTimer = 1;
constexpr UINT kFollowIntervalMs = 1000;
constexpr COLORREF kErrorColour = RGB(198, 40, 40);

// The folder of the file last exported to during this run: the next save
// dialog opens there.
std::wstring& LastExportFolder() {
  static std::wstring folder;
  return folder;
}

void CopyInto(const std::string& text, wchar_t* buffer, int room) {
  if (buffer == nullptr || room <= 0) return;
  const std::wstring wide = Utf16(text);
  const std::size_t length = std::min(wide.size(), static_cast<std::size_t>(room) - 1);
  std::copy_n(wide.data(), length, buffer);
  buffer[length] = L'\0';
}

}  // namespace

RowDetailsWindow::RowDetailsWindow(const TableStore& table, RowId row, std::function<void()> closed)
    : TemplateDialog(RowDetailsDialogTemplate()),
      table_(table),
      row_(row),
      model_(table.Kind(), table.Cell(row, cell::kTarget), table.History(row)),
      closed_(std::move(closed)) {}

RowDetailsWindow::~RowDetailsWindow() {
  if (Handle() != nullptr) DestroyWindow(Handle());
  if (boldFont_ != nullptr) DeleteObject(boldFont_);
}

bool RowDetailsWindow::Open(HWND owner, HINSTANCE resources) { return OpenModeless(owner, resources); }

void RowDetailsWindow::Raise() const {
  if (Handle() == nullptr) return;
  ShowWindow(Handle(), IsIconic(Handle()) != FALSE ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(Handle());
}

void RowDetailsWindow::OnInitDialog() {
  SetWindowTextW(Handle(), Utf16(model_.WindowCaption()).c_str());
  SetControlText(id::kDetailsTargetLabel, model_.TargetLine());
  // The target line in the bold face of the window's font.
  LOGFONTW face{};
  if (GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0)), sizeof face, &face) != 0) {
    face.lfWeight = FW_BOLD;
    boldFont_ = CreateFontIndirectW(&face);
    SendMessageW(Control(id::kDetailsTargetLabel), WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_), FALSE);
  }
  SetUpFailureList();
  model_.Follow();
  ShowModel();
  SetTimer(Handle(), kFollowTimer, kFollowIntervalMs, nullptr);
}

void RowDetailsWindow::SetUpFailureList() {
  HWND list = Control(id::kDetailsFailureList);
  ListView_SetExtendedListViewStyleEx(list, 0, LVS_EX_FULLROWSELECT);
  const auto& columns = FailureListColumns();
  for (std::size_t index = 0; index < columns.size(); ++index) {
    std::wstring caption = Utf16(columns[index].caption);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.cx = columns[index].widthPx;
    column.pszText = caption.data();
    column.iSubItem = static_cast<int>(index);
    ListView_InsertColumn(list, static_cast<int>(index), &column);
  }
  // The last column takes the room left.
  ListView_SetColumnWidth(list, static_cast<int>(columns.size()) - 1, LVSCW_AUTOSIZE_USEHEADER);
}

void RowDetailsWindow::Follow() {
  if (Handle() == nullptr) return;
  if (!model_.HasRow() || table_.IndexOf(row_) < 0) {
    // The row has been deleted (or the table cleared): nothing left to show.
    End(0);
    return;
  }
  if (model_.Follow()) ShowModel();
}

void RowDetailsWindow::ShowModel() {
  const std::vector<StatisticRow> statistics = model_.StatisticRows();
  for (std::size_t at = 0; at < statistics.size(); ++at) {
    SetControlText(id::kDetailsFirstStatistic + static_cast<int>(at), statistics[at].value);
  }
  failures_ = model_.RecentFailures();
  HWND list = Control(id::kDetailsFailureList);
  ListView_SetItemCountEx(list, static_cast<int>(failures_.size()), LVSICF_NOSCROLL);
  InvalidateRect(list, nullptr, FALSE);
  InvalidateRect(Control(id::kDetailsChart), nullptr, FALSE);
}

void RowDetailsWindow::FillFailureCell(NMLVDISPINFOW& info) const {
  if ((info.item.mask & LVIF_TEXT) == 0) return;
  const auto row = static_cast<std::size_t>(info.item.iItem);
  if (info.item.iItem < 0 || row >= failures_.size()) return CopyInto("", info.item.pszText, info.item.cchTextMax);
  const FailureRow& failure = failures_[row];
  const std::string* texts[] = {&failure.time, &failure.reason, &failure.duration};
  const int column = std::clamp(info.item.iSubItem, 0, 2);
  CopyInto(*texts[column], info.item.pszText, info.item.cchTextMax);
}

void RowDetailsWindow::PaintChart(const DRAWITEMSTRUCT& item) const {
  // Drawn off screen first, so the chart does not flicker as it follows the row.
  const RECT area = item.rcItem;
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  HDC memory = CreateCompatibleDC(item.hDC);
  HBITMAP bitmap = CreateCompatibleBitmap(item.hDC, width, height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  const RECT local{0, 0, width, height};
  PaintLatencyChart(memory, local, reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0)), model_);
  BitBlt(item.hDC, area.left, area.top, width, height, memory, 0, 0, SRCCOPY);
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
}

void RowDetailsWindow::ChooseExportFile() {
  std::wstring file = Utf16(model_.CsvFileName());
  file.resize(std::max<std::size_t>(file.size() + 1, MAX_PATH * 4), L'\0');
  static const wchar_t kFilter[] = L"CSV (*.csv)\0*.csv\0";
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = Handle();
  dialog.lpstrFilter = kFilter;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = LastExportFolder().empty() ? nullptr : LastExportFolder().c_str();
  dialog.lpstrTitle = L"导出 CSV";
  dialog.lpstrDefExt = L"csv";
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER;
  if (GetSaveFileNameW(&dialog) == FALSE) return;
  const std::wstring chosen(file.c_str());
  LastExportFolder() = chosen.substr(0, dialog.nFileOffset);
  ExportCsv(Utf8(chosen));
}

bool RowDetailsWindow::ExportCsv(const std::string& path) {
  const CsvExportResult result = model_.ExportCsv(path);
  exportFailed_ = !result.written;
  SetControlText(id::kDetailsExportMessage, result.message);
  InvalidateRect(Control(id::kDetailsExportMessage), nullptr, TRUE);
  return result.written;
}

void RowDetailsWindow::OnCommand(int id, int notifyCode, HWND control) {
  if (id == id::kDetailsExportButton) return ChooseExportFile();
  // Enter does nothing; Esc and the close box close the window.
  if (id == IDOK) return;
  TemplateDialog::OnCommand(id, notifyCode, control);
}

std::optional<LRESULT> RowDetailsWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam != kFollowTimer) return std::nullopt;
      Follow();
      return 0;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (static_cast<int>(item.CtlID) != id::kDetailsChart) return std::nullopt;
      PaintChart(item);
      return TRUE;
    }
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
      if (static_cast<int>(header.idFrom) != id::kDetailsFailureList || header.code != LVN_GETDISPINFOW) {
        return std::nullopt;
      }
      FillFailureCell(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
      return 0;
    }
    case WM_CTLCOLORSTATIC: {
      // A failed export says so in red.
      if (!exportFailed_ || reinterpret_cast<HWND>(lParam) != Control(id::kDetailsExportMessage)) {
        return std::nullopt;
      }
      auto dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, kErrorColour);
      SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_DESTROY:
      KillTimer(Handle(), kFollowTimer);
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

void RowDetailsWindow::OnClosed() {
  // Last: the owner may delete this window now.
  if (closed_) closed_();
}

}  // namespace qnc
