// The windows on the rows' history, in the window's own process under Wine:
// a main window measures a game row that loopback refuses, and a second
// thread acts as the user. A double click on the row opens its details
// window (a second one raises it), which follows the row every second, lists
// the failures, writes the CSV through the standard save dialog and closes
// when the row is deleted; "【检测】" opens the diagnosis, which "重新检测"
// runs again. Exit status 0 when every step behaved, 1 when not.
#include <windows.h>
// After windows.h:
#include <commctrl.h>
#include <objbase.h>
#include <winsock2.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/config/config_file.h"
#include "core/history/row_details_model.h"
#include "core/history/statistic_rows.h"
#include "views/templates/control_ids.h"
#include "views/templates/history_templates.h"
#include "win32/app/main_window.h"
#include "win32/widgets/wide_text.h"

namespace {

constexpr int kStepLimitMs = 15000;
// The first Wine program of a session may take a while to show its window.
constexpr int kStartLimitMs = 60000;
constexpr const char* kRefusedTarget = "127.0.0.1:1";
// The file name box of the standard save dialog: a combo box (cmb13) in the
// Explorer-style dialog, an edit (edt1) in the older one.
constexpr int kFileNameCombo = 0x47c;
constexpr int kFileNameEdit = 0x480;

int failures = 0;

void Print(const std::string& text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void Expect(bool condition, const std::string& step) {
  Print(std::string(condition ? "  ok: " : "  FAIL: ") + step + "\n");
  if (!condition) ++failures;
}

template <typename Condition>
bool WaitUntil(Condition condition, int waitMs) {
  for (int waited = 0; waited <= waitMs; waited += 50) {
    if (condition()) return true;
    Sleep(50);
  }
  return false;
}

std::string Text(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return qnc::Utf8(text);
}

// The shown top-level windows with exactly this title.
std::vector<HWND> WindowsTitled(const std::string& title) {
  struct Search {
    std::wstring title;
    std::vector<HWND> found;
  } search{qnc::Utf16(title), {}};
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto& wanted = *reinterpret_cast<Search*>(context);
        if (IsWindowVisible(window) != FALSE && qnc::Utf16(Text(window)) == wanted.title) {
          wanted.found.push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForWindow(const std::string& title, int waitMs = kStepLimitMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        const std::vector<HWND> windows = WindowsTitled(title);
        found = windows.empty() ? nullptr : windows.front();
        return found != nullptr;
      },
      waitMs);
  return found;
}

// A double click on the row, with the mouse, as a user makes it.
void DoubleClickRow(HWND list, int row) {
  RECT item{};
  item.left = LVIR_LABEL;
  SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  POINT at{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
  ClientToScreen(list, &at);
  SetCursorPos(at.x, at.y);
  INPUT clicks[4]{};
  for (int click = 0; click < 4; ++click) {
    clicks[click].type = INPUT_MOUSE;
    clicks[click].mi.dwFlags = click % 2 == 0 ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  }
  SendInput(4, clicks, sizeof(INPUT));
}

int StatisticNumber(HWND details, std::string_view caption) {
  for (std::size_t at = 0; at < qnc::kStatisticCaptions.size(); ++at) {
    if (qnc::kStatisticCaptions[at] == caption) {
      return std::atoi(Text(GetDlgItem(details, qnc::id::kDetailsFirstStatistic + static_cast<int>(at))).c_str());
    }
  }
  return -1;
}

std::string FailureCell(HWND list, int row, int column) {
  wchar_t buffer[256]{};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buffer;
  item.cchTextMax = 256;
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return qnc::Utf8(buffer);
}

HWND OwnedFileDialog(HWND owner) {
  struct Search {
    HWND owner;
    HWND found;
  } search{owner, nullptr};
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto& wanted = *reinterpret_cast<Search*>(context);
        if (GetWindow(window, GW_OWNER) == wanted.owner && IsWindowVisible(window) != FALSE &&
            GetDlgItem(window, IDOK) != nullptr) {
          wanted.found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void CheckExport(HWND details) {
  wchar_t folder[MAX_PATH]{};
  GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + L"qnc-details-export.csv";
  DeleteFileW(path.c_str());
  PostMessageW(details, WM_COMMAND, qnc::id::kDetailsExportButton, 0);
  HWND dialog = nullptr;
  WaitUntil([&] { return (dialog = OwnedFileDialog(details)) != nullptr; }, kStepLimitMs);
  Expect(dialog != nullptr, "导出 CSV opens the save dialog over the details window");
  if (dialog == nullptr) return;
  HWND box = GetDlgItem(dialog, kFileNameCombo);
  if (box == nullptr) box = GetDlgItem(dialog, kFileNameEdit);
  Expect(box != nullptr && Text(box).ends_with(".csv"), "the dialog offers a CSV file name: " + Text(box));
  SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  Expect(WaitUntil([&] { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }, kStepLimitMs),
         "the file is written");
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  std::stringstream bytes;
  bytes << file.rdbuf();
  std::vector<std::string> lines;
  for (std::string line; std::getline(bytes, line);) lines.push_back(line);
  Expect(lines.size() >= 2, "it holds a caption line and the samples (" + std::to_string(lines.size()) + " lines)");
  Expect(!Text(GetDlgItem(details, qnc::id::kDetailsExportMessage)).empty(), "the window says where it went");
  file.close();
  DeleteFileW(path.c_str());
}

void CheckDetails(HWND main) {
  HWND list = GetDlgItem(main, qnc::id::kGameTable);
  const std::string caption = qnc::RowDetailsModel(qnc::TableKind::kGame, kRefusedTarget, nullptr).WindowCaption();
  SetForegroundWindow(main);
  DoubleClickRow(list, 0);
  HWND details = WaitForWindow(caption);
  Expect(details != nullptr, "a double click on the row opens '" + caption + "'");
  if (details == nullptr) return;
  Expect(IsWindowEnabled(main) != FALSE, "the main window takes input beside it");
  Expect(Text(GetDlgItem(details, qnc::id::kDetailsTargetLabel)).ends_with(kRefusedTarget), "it names the row");

  const int samples = StatisticNumber(details, "样本数");
  Expect(WaitUntil([&] { return StatisticNumber(details, "样本数") > samples; }, kStepLimitMs),
         "it follows the row's new samples");
  HWND failureList = GetDlgItem(details, qnc::id::kDetailsFailureList);
  Expect(WaitUntil([&] { return ListView_GetItemCount(failureList) > 0; }, kStepLimitMs) &&
             !FailureCell(failureList, 0, 1).empty(),
         "the refusals are listed with their reason: " + FailureCell(failureList, 0, 1));

  SetForegroundWindow(main);
  DoubleClickRow(list, 0);
  WaitUntil([&] { return GetForegroundWindow() == details; }, kStepLimitMs);
  Expect(WindowsTitled(caption).size() == 1, "a second double click raises the same window");

  CheckExport(details);

  // Deleting the row closes its window.
  ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetSelectionMark(list, 0);
  PostMessageW(main, WM_COMMAND, qnc::id::kDeleteGameServer, 0);
  Expect(WaitUntil([&] { return IsWindow(details) == FALSE; }, kStepLimitMs), "the window closes with its row");
}

void CheckDiagnosis(HWND main) {
  PostMessageW(main, WM_COMMAND, qnc::id::kCheckMenu, 0);
  HWND diagnosis = WaitForWindow(qnc::DiagnosisDialogTemplate().caption);
  Expect(diagnosis != nullptr, "【检测】 opens the diagnosis");
  if (diagnosis == nullptr) return;
  HWND verdicts = GetDlgItem(diagnosis, qnc::id::kDiagnosisVerdicts);
  Expect(!Text(verdicts).empty(), "it gives its verdicts:\n" + Text(verdicts));
  Expect(Text(GetDlgItem(diagnosis, qnc::id::kDiagnosisTimeLabel)).starts_with("检测时间："), "and the run's time");
  SetWindowTextW(verdicts, L"");
  PostMessageW(diagnosis, WM_COMMAND, qnc::id::kDiagnosisRerunButton, 0);
  Expect(WaitUntil([&] { return !Text(verdicts).empty(); }, kStepLimitMs), "重新检测 runs it again");
  PostMessageW(main, WM_COMMAND, qnc::id::kCheckMenu, 0);
  Sleep(500);
  Expect(WindowsTitled(qnc::DiagnosisDialogTemplate().caption).size() == 1, "a second 【检测】 keeps one window");
  SetForegroundWindow(diagnosis);
  WaitUntil([&] { return GetForegroundWindow() == diagnosis; }, kStepLimitMs);
  INPUT escape[2]{};
  escape[0].type = escape[1].type = INPUT_KEYBOARD;
  escape[0].ki.wVk = escape[1].ki.wVk = VK_ESCAPE;
  escape[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, escape, sizeof(INPUT));
  Expect(WaitUntil([&] { return IsWindow(diagnosis) == FALSE; }, kStepLimitMs), "Esc closes it");
}

}  // namespace

int wmain() {
  INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
  InitCommonControlsEx(&controls);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  WSADATA sockets{};
  WSAStartup(MAKEWORD(2, 2), &sockets);

  wchar_t folder[MAX_PATH]{};
  GetTempPathW(MAX_PATH, folder);
  // Loopback rows only: the game row's port refuses every connect at once.
  const std::string rows = qnc::Utf8(folder) + "qnc-history-check.txt";
  qnc::ConfigTables tables;
  tables[qnc::TableKind::kDns] = {"localhost"};
  tables[qnc::TableKind::kPing] = {"127.0.0.1"};
  tables[qnc::TableKind::kGame] = {kRefusedTarget};
  qnc::WriteConfig(rows, tables);
  qnc::CQUORIX_NET_CHECKDlg window(GetModuleHandleW(nullptr), rows, rows, [] { return std::nullopt; });

  std::jthread user([] {
    HWND main = WaitForWindow(qnc::kMainWindowTitle, kStartLimitMs);
    Expect(main != nullptr, "the window shows");
    if (main != nullptr) {
      CheckDetails(main);
      CheckDiagnosis(main);
      PostMessageW(main, WM_COMMAND, qnc::id::kCancel, 0);
    }
  });
  window.RunModal(nullptr, GetModuleHandleW(nullptr));
  user.join();
  DeleteFileW(qnc::Utf16(rows).c_str());
  Print(failures == 0 ? "every step behaved\n" : "some steps failed\n");
  return failures == 0 ? 0 : 1;
}
