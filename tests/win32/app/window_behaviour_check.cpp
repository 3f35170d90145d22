// Drives a running main window from outside its process through the
// messages its controls, menus and tray icon send it, and checks what the
// user would see: the About box from its button and from the system menu,
// the close box hiding the window into the tray while the program runs on,
// a double click on the tray icon bringing it back, Enter doing nothing, and
// a ping row added through the context menu's input box and deleted again,
// the tray icon's right click (the lists saved, then its menu), and the LAN
// test window in both modes; and, given the program, a second copy's warning.
// Usage: qnc_window_behaviour_check [PROGRAM.exe]  (given: a second copy is started too)
// Exit status 0 when every step behaved, 1 when not, 2 when there is no window.
#include <windows.h>
// After windows.h:
#include <shlobj.h>

#include <string>
#include <vector>

#include "core/config/config_file.h"
#include "remote_window.h"
#include "views/commands/lan_presets.h"
#include "views/commands/running_copy_check.h"
#include "views/templates/control_ids.h"
#include "views/templates/lan_test_template.h"
#include "views/templates/window_templates.h"
#include "win32/widgets/wide_text.h"

namespace {

using qnc::remote::Print;
using qnc::remote::WaitUntil;

constexpr int kStepLimitMs = 10000;
constexpr UINT kTrayNotify = WM_USER + 1;

int failures = 0;

void Expect(bool condition, const std::string& step) {
  Print(std::string(condition ? "  ok: " : "  FAIL: ") + step + "\n");
  if (!condition) ++failures;
}

bool Visible(HWND window) { return IsWindow(window) != FALSE && IsWindowVisible(window) != FALSE; }

// Opens a modal box by posting `open`, checks it came over the main window,
// and ends it by posting `close` to it.
void CheckModalBox(HWND main, const std::string& title, UINT message, WPARAM wParam, UINT closeMessage,
                   WPARAM closeWParam, const std::string& step) {
  PostMessageW(main, message, wParam, 0);
  HWND box = qnc::remote::WaitForShownWindow(title, kStepLimitMs);
  Expect(box != nullptr && GetWindow(box, GW_OWNER) == main, step + " opens '" + title + "' over the window");
  if (box == nullptr) return;
  PostMessageW(box, closeMessage, closeWParam, 0);
  Expect(WaitUntil([&] { return IsWindow(box) == FALSE; }, kStepLimitMs), step + ": the box closes");
}

void CheckAddAndDeleteRow(HWND main) {
  HWND list = GetDlgItem(main, qnc::id::kPingTable);
  qnc::remote::ListReader rows(list);
  const int before = rows.RowCount();
  PostMessageW(main, WM_COMMAND, qnc::id::kAddPing, 0);
  HWND box = qnc::remote::WaitForShownWindow(qnc::AddHostDialogTemplate().caption, kStepLimitMs);
  Expect(box != nullptr, "添加ping opens the input box");
  if (box == nullptr) return;
  const std::wstring typed = L"192.168.1.1";
  SendMessageTimeoutW(GetDlgItem(box, qnc::id::kInputEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()),
                      SMTO_ABORTIFHUNG, kStepLimitMs, nullptr);
  PostMessageW(GetDlgItem(box, qnc::id::kOk), BM_CLICK, 0, 0);
  Expect(WaitUntil([&] { return rows.RowCount() == before + 1; }, kStepLimitMs), "OK adds one row");
  Expect(rows.Cell(before, 0) == "192.168.1.1", "the new last row holds the typed host");

  // Esc in the box adds nothing.
  PostMessageW(main, WM_COMMAND, qnc::id::kAddPing, 0);
  box = qnc::remote::WaitForShownWindow(qnc::AddHostDialogTemplate().caption, kStepLimitMs);
  if (box != nullptr) PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
  Expect(box != nullptr && WaitUntil([&] { return IsWindow(box) == FALSE; }, kStepLimitMs) &&
             rows.RowCount() == before + 1,
         "a cancelled input box adds nothing");

  rows.Select(before);
  PostMessageW(main, WM_COMMAND, qnc::id::kDeletePing, 0);
  Expect(WaitUntil([&] { return rows.RowCount() == before; }, kStepLimitMs), "删除ping deletes the selected row");
  Expect(rows.Cell(0, 0) != "192.168.1.1" && rows.Cell(before - 1, 0) != "192.168.1.1",
         "the rows before it stay as they were");
}

// The LAN menu item opens the test window in its mode: the caption is the
// preset, only that mode's controls show, the client's lists hold their items.
void CheckLanWindow(HWND main, int command, const std::string& preset, bool server) {
  PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(command), 0);
  HWND lan = qnc::remote::WaitForShownWindow(preset, kStepLimitMs);
  Expect(lan != nullptr, "the LAN menu opens '" + preset + "'");
  if (lan == nullptr) return;
  bool shown = true;
  for (const int id : qnc::lan_window::kServerOnlyControls) shown = shown && Visible(GetDlgItem(lan, id)) == server;
  for (const int id : qnc::lan_window::kClientOnlyControls) shown = shown && Visible(GetDlgItem(lan, id)) != server;
  Expect(shown, preset + " shows only its mode's controls");
  if (!server) {
    HWND modes = GetDlgItem(lan, qnc::id::kLanModeList);
    HWND threads = GetDlgItem(lan, qnc::id::kLanThreadCountList);
    Expect(SendMessageW(modes, CB_GETCOUNT, 0, 0) == 3 &&
               SendMessageW(modes, CB_GETCURSEL, 0, 0) == qnc::lan_window::kInitialModeIndex &&
               SendMessageW(threads, CB_GETCOUNT, 0, 0) == 3 &&
               SendMessageW(threads, CB_GETCURSEL, 0, 0) == qnc::lan_window::kInitialThreadCountIndex,
           "the mode and thread lists hold their items, the first choices made");
  }
  PostMessageW(lan, WM_CLOSE, 0, 0);
  Expect(WaitUntil([&] { return IsWindow(lan) == FALSE; }, kStepLimitMs), preset + " closes");
}

// The popup menu that is open now, if any (the system's menu window class).
HWND OpenPopupMenu() {
  HWND menu = FindWindowW(L"#32768", nullptr);
  return menu != nullptr && IsWindowVisible(menu) != FALSE ? menu : nullptr;
}

void PressKey(WORD key) {
  INPUT presses[2] = {};
  presses[0].type = presses[1].type = INPUT_KEYBOARD;
  presses[0].ki.wVk = presses[1].ki.wVk = key;
  presses[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, presses, sizeof(INPUT));
}

// A right click on the tray icon saves the lists to the fixed file in the
// user's application data folder before its menu opens; Esc dismisses the
// menu and the program runs on.
void CheckTrayRightClick(HWND main) {
  wchar_t folder[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
  const std::wstring file = std::wstring(folder) + L"\\" + qnc::Utf16(qnc::kConfigFileName);
  DeleteFileW(file.c_str());
  PostMessageW(main, kTrayNotify, qnc::id::kTrayIcon, WM_RBUTTONUP);
  Expect(WaitUntil([] { return OpenPopupMenu() != nullptr; }, kStepLimitMs),
         "a right click on the tray icon opens its menu");
  Expect(GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES, "and has saved the lists to " + qnc::Utf8(file));
  PressKey(VK_ESCAPE);
  Expect(WaitUntil([] { return OpenPopupMenu() == nullptr; }, kStepLimitMs) && IsWindow(main) != FALSE,
         "Esc dismisses the menu and the program runs on");
}

// Every top-level window with exactly this title.
std::vector<HWND> WindowsTitled(const std::string& title) {
  struct Search {
    std::wstring title;
    std::vector<HWND> found;
  } search{qnc::Utf16(title), {}};
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto& wanted = *reinterpret_cast<Search*>(context);
        wchar_t text[256] = {};
        GetWindowTextW(window, text, 256);
        if (wanted.title == text) wanted.found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A second copy started beside the running one warns first, then opens a
// window of its own all the same; Esc ends that copy alone.
void CheckSecondCopy(HWND main, const std::wstring& program) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  std::wstring commandLine = L"\"" + program + L"\"";
  if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                     &started) == FALSE) {
    Expect(false, "a second copy starts");
    return;
  }
  HWND warning = qnc::remote::WaitForShownWindow(qnc::kRunningCopyCaption, kStepLimitMs);
  wchar_t text[256] = {};
  if (warning != nullptr) GetDlgItemTextW(warning, 0xFFFF, text, 256);
  Expect(warning != nullptr && qnc::Utf8(text) == qnc::kRunningCopyText,
         std::string("a second copy warns '") + qnc::kRunningCopyText + "'");
  if (warning != nullptr) PostMessageW(warning, WM_COMMAND, IDOK, 0);
  HWND second = nullptr;
  WaitUntil(
      [&] {
        for (HWND window : WindowsTitled(qnc::kMainWindowTitle)) {
          if (window != main && IsWindowVisible(window) != FALSE) second = window;
        }
        return second != nullptr;
      },
      kStepLimitMs);
  Expect(second != nullptr, "after the warning the second copy opens its own window");
  if (second != nullptr) PostMessageW(second, WM_COMMAND, IDCANCEL, 0);
  const bool ended = WaitForSingleObject(started.hProcess, kStepLimitMs) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(started.hProcess, 1);
  Expect(ended && IsWindowVisible(main) != FALSE, "Esc ends the second copy; the first runs on");
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  HWND main = qnc::remote::WaitForShownWindow(qnc::kMainWindowTitle, 30000);
  if (main == nullptr) {
    Print(std::string("no window titled ") + qnc::kMainWindowTitle + "\n");
    return 2;
  }
  const std::string about = qnc::AboutDialogTemplate().caption;
  CheckModalBox(main, about, WM_COMMAND, qnc::id::kAboutButton, WM_COMMAND, IDOK, "the 关于 button");
  CheckModalBox(main, about, WM_SYSCOMMAND, qnc::id::kAboutSystemCommand, WM_CLOSE, 0, "the system menu's About item");

  PostMessageW(main, WM_COMMAND, IDOK, 0);
  Sleep(300);
  Expect(Visible(main), "Enter leaves the window open");

  PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  Expect(WaitUntil([&] { return IsWindow(main) != FALSE && !Visible(main); }, kStepLimitMs),
         "the close box hides the window and the program runs on");
  PostMessageW(main, kTrayNotify, qnc::id::kTrayIcon, WM_LBUTTONDOWN);
  Sleep(300);
  Expect(!Visible(main), "a single click on the tray icon does nothing");
  PostMessageW(main, kTrayNotify, qnc::id::kTrayIcon, WM_LBUTTONDBLCLK);
  Expect(WaitUntil([&] { return Visible(main); }, kStepLimitMs), "a double click on the tray icon brings it back");

  CheckAddAndDeleteRow(main);
  CheckTrayRightClick(main);
  if (argc > 1) CheckSecondCopy(main, argv[1]);
  CheckLanWindow(main, qnc::id::kLanServer, std::string(qnc::kLanServerPreset), true);
  CheckLanWindow(main, qnc::id::kLanClient, std::string(qnc::kLanClientPreset), false);
  Print(failures == 0 ? "the window behaved\n" : std::to_string(failures) + " steps failed\n");
  return failures == 0 ? 0 : 1;
}
