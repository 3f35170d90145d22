// Opens one of the running window's history windows from outside its
// process, as a user does, for pictures of them (scripts/screenshot-windows):
//   open_history_window details TABLE ROW   a double click on that row (TABLE: dns, ping or game)
//   open_history_window diagnosis           the menu bar's 【检测】
// Exit status 0 when the window came, 1 when not.
#include <windows.h>
// After windows.h:
#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "views/templates/control_ids.h"
#include "views/templates/history_templates.h"
#include "win32/widgets/wide_text.h"

namespace {

constexpr int kWaitMs = 15000;

HWND WaitForWindow(const std::string& title, bool prefix) {
  for (int waited = 0; waited <= kWaitMs; waited += 100) {
    struct Search {
      std::wstring title;
      bool prefix;
      HWND found;
    } search{qnc::Utf16(title), prefix, nullptr};
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
          auto& wanted = *reinterpret_cast<Search*>(context);
          wchar_t text[256]{};
          GetWindowTextW(window, text, 256);
          const std::wstring shown(text);
          const bool match = wanted.prefix ? shown.starts_with(wanted.title) : shown == wanted.title;
          if (match && IsWindowVisible(window) != FALSE) wanted.found = window;
          return wanted.found == nullptr ? TRUE : FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    Sleep(100);
  }
  return nullptr;
}

int ListId(const std::wstring& table) {
  if (table == L"dns") return qnc::id::kDnsTable;
  if (table == L"ping") return qnc::id::kPingTable;
  return qnc::id::kGameTable;
}

bool DoubleClickRow(HWND main, int listId, int row) {
  HWND list = GetDlgItem(main, listId);
  // The row's rectangle, asked of the list in its own process.
  DWORD processId = 0;
  GetWindowThreadProcessId(list, &processId);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (process == nullptr) return false;
  void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
  RECT item{LVIR_LABEL, 0, 0, 0};
  WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
  SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote));
  ReadProcessMemory(process, remote, &item, sizeof item, nullptr);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  POINT at{item.left + 20, (item.top + item.bottom) / 2};
  ClientToScreen(list, &at);
  SetForegroundWindow(main);
  SetCursorPos(at.x, at.y);
  INPUT clicks[4]{};
  for (int click = 0; click < 4; ++click) {
    clicks[click].type = INPUT_MOUSE;
    clicks[click].mi.dwFlags = click % 2 == 0 ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  }
  SendInput(4, clicks, sizeof(INPUT));
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  HWND main = WaitForWindow(qnc::kMainWindowTitle, false);
  if (main == nullptr || argc < 2) return 1;
  const std::wstring what = argv[1];
  if (what == L"diagnosis") {
    PostMessageW(main, WM_COMMAND, qnc::id::kCheckMenu, 0);
    return WaitForWindow(qnc::DiagnosisDialogTemplate().caption, false) != nullptr ? 0 : 1;
  }
  if (what != L"details" || argc < 4) return 1;
  if (!DoubleClickRow(main, ListId(argv[2]), std::wcstol(argv[3], nullptr, 10))) return 1;
  return WaitForWindow("详情 - ", true) != nullptr ? 0 : 1;
}
