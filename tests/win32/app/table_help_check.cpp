// The main window's help around its tables, in the window's own process under
// Wine: a main window is run whose check says pings cannot be sent, and a
// second thread acts as the user. The notice comes up beside the window
// without blocking it and goes with Esc; every ping row's tip gives the
// notice, a row whose latest probe failed names the failure in its tip, the DNS
// rows say when the server box names no server; Ctrl+C
// in a list puts its selected rows (all when none is selected) under the
// captions on the clipboard.
// Exit status 0 when every step behaved, 1 when not.
#include <windows.h>
// After windows.h:
#include <commctrl.h>
#include <objbase.h>
#include <winsock2.h>

#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "remote_window.h"
#include "views/commands/ping_permission_text.h"
#include "views/templates/control_ids.h"
#include "views/templates/ping_notice_template.h"
#include "win32/app/main_window.h"
#include "win32/widgets/wide_text.h"

namespace {

using qnc::remote::Print;
using qnc::remote::WaitUntil;

constexpr int kStepLimitMs = 15000;
// The first Wine program of a session may take a while to show its window.
constexpr int kStartLimitMs = 60000;
constexpr const char* kRefusal = "raw ICMP socket refused: WSAEACCES";

int failures = 0;

void Expect(bool condition, const std::string& step) {
  Print(std::string(condition ? "  ok: " : "  FAIL: ") + step + "\n");
  if (!condition) ++failures;
}

std::string WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return qnc::Utf8(text);
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

void PressKeys(const std::vector<WORD>& keys) {
  std::vector<INPUT> inputs;
  for (const WORD key : keys) {
    INPUT down{};
    down.type = INPUT_KEYBOARD;
    down.ki.wVk = key;
    inputs.push_back(down);
  }
  for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
    INPUT up{};
    up.type = INPUT_KEYBOARD;
    up.ki.wVk = *key;
    up.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(up);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

std::optional<std::string> ClipboardText() {
  if (OpenClipboard(nullptr) == FALSE) return std::nullopt;
  std::optional<std::string> text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT); data != nullptr) {
    if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data)); wide != nullptr) {
      text = qnc::Utf8(wide);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// What the list's tip says of a row: the window's answer to the list's question.
std::string RowTip(HWND main, int listId, int row) {
  std::vector<wchar_t> buffer(INFOTIPSIZE, L'\0');
  NMLVGETINFOTIPW tip{};
  tip.hdr.hwndFrom = GetDlgItem(main, listId);
  tip.hdr.idFrom = static_cast<UINT_PTR>(listId);
  tip.hdr.code = LVN_GETINFOTIPW;
  tip.pszText = buffer.data();
  tip.cchTextMax = static_cast<int>(buffer.size());
  tip.iItem = row;
  SendMessageW(main, WM_NOTIFY, static_cast<WPARAM>(listId), reinterpret_cast<LPARAM>(&tip));
  return qnc::Utf8(buffer.data());
}

void CheckNotice(HWND main) {
  HWND notice = qnc::remote::WaitForShownWindow(qnc::PingNoticeDialogTemplate().caption, kStepLimitMs);
  Expect(notice != nullptr && GetWindow(notice, GW_OWNER) == main, "the notice comes up over the window");
  if (notice == nullptr) return;
  const std::string text = WindowText(GetDlgItem(notice, qnc::id::kPingNoticeText));
  Expect(Contains(text, "以管理员身份运行") && Contains(text, "重新启动"), "the notice says how to fix it");
  Expect(Contains(text, kRefusal), "the notice keeps the system's own words");
  Expect(IsWindowEnabled(main) != FALSE, "the window takes input while the notice is up");
  SetForegroundWindow(notice);
  WaitUntil([&] { return GetForegroundWindow() == notice; }, kStepLimitMs);
  PressKeys({VK_ESCAPE});
  Expect(WaitUntil([&] { return IsWindow(notice) == FALSE; }, kStepLimitMs), "Esc closes the notice");
}

void CheckTips(HWND main) {
  HWND pingList = GetDlgItem(main, qnc::id::kPingTable);
  Expect((ListView_GetExtendedListViewStyle(pingList) & LVS_EX_INFOTIP) != 0, "the lists ask for row tips");
  const std::string notice = qnc::AdministratorPingPermissionText();
  Expect(RowTip(main, qnc::id::kPingTable, 0).ends_with(notice), "a ping row's tip gives the notice");
  // The game rows' hosts cannot be reached from this private network: their
  // connects fail, and the tips say so.
  Expect(
      WaitUntil([&] { return RowTip(main, qnc::id::kGameTable, 0).starts_with("最近一次测量失败："); }, kStepLimitMs),
      "a game row's tip names its latest failure");
  Expect(!Contains(RowTip(main, qnc::id::kGameTable, 0), notice), "only the ping rows give the notice");

  // A server box that names no server: the DNS rows say why they stand still.
  HWND box = GetDlgItem(main, qnc::id::kDnsServerEdit);
  const std::string before = WindowText(box);
  SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"10.77.0"));
  Expect(Contains(RowTip(main, qnc::id::kDnsTable, 0), "“10.77.0”不是完整的 IPv4 地址"),
         "a DNS row's tip says what is wrong with the server box");
  SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(qnc::Utf16("127.0.0.1").c_str()));
  Expect(!Contains(RowTip(main, qnc::id::kDnsTable, 0), "IPv4 地址"), "and stops once it names a server");
  SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(qnc::Utf16(before).c_str()));
}

void CheckCopy(HWND main) {
  HWND list = GetDlgItem(main, qnc::id::kPingTable);
  qnc::remote::ListReader rows(list);
  const std::string captions = "域名或者ip\t延时\t平均延迟\t丢包率\t质量";
  SendMessageW(main, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list), TRUE);
  SetForegroundWindow(main);
  WaitUntil([&] { return GetForegroundWindow() == main; }, kStepLimitMs);

  const auto copy = [&] {
    if (OpenClipboard(nullptr) != FALSE) {
      EmptyClipboard();
      CloseClipboard();
    }
    PressKeys({VK_CONTROL, 'C'});
    std::optional<std::string> text;
    WaitUntil(
        [&] {
          text = ClipboardText();
          return text.has_value();
        },
        kStepLimitMs);
    return Lines(text.value_or(""));
  };

  const int count = rows.RowCount();
  std::vector<std::string> lines = copy();
  Expect(lines.size() == static_cast<std::size_t>(count) + 1 && !lines.empty() && lines[0] == captions + "\r",
         "nothing selected: the captions and every row");

  rows.Select(2);
  LVITEMW alsoFirst{};
  alsoFirst.stateMask = LVIS_SELECTED;
  alsoFirst.state = LVIS_SELECTED;
  SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&alsoFirst));
  lines = copy();
  Expect(
      lines.size() == 3 && lines[1].starts_with(rows.Cell(0, 0) + "\t") && lines[2].starts_with(rows.Cell(2, 0) + "\t"),
      "two rows selected: both, in table order, under the captions");
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
  // No file at start: the window opens with its default rows.
  const std::string fixed = qnc::Utf8(folder) + "qnc-table-help-check.txt";
  DeleteFileW(qnc::Utf16(fixed).c_str());
  qnc::CQUORIX_NET_CHECKDlg window(GetModuleHandleW(nullptr), fixed, fixed,
                                   [] { return std::optional<std::string>(kRefusal); });

  std::jthread user([] {
    HWND main = qnc::remote::WaitForShownWindow(qnc::kMainWindowTitle, kStartLimitMs);
    Expect(main != nullptr, "the window shows");
    if (main != nullptr) {
      CheckNotice(main);
      CheckTips(main);
      CheckCopy(main);
      PostMessageW(main, WM_COMMAND, qnc::id::kCancel, 0);
    }
  });
  window.RunModal(nullptr, GetModuleHandleW(nullptr));
  user.join();
  DeleteFileW(qnc::Utf16(fixed).c_str());
  Print(failures == 0 ? "every step behaved\n" : "some steps failed\n");
  return failures == 0 ? 0 : 1;
}
