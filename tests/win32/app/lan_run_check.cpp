// Runs the LAN test of a running main window against a peer on loopback,
// from outside its process, as a user would.
//   client: opens the client window, types the server's address and port,
//           starts, waits for the once-a-second lines to show data moving,
//           stops, and closes the window;
//   server: opens the server window (it listens on the port in its box, which
//           is PORT by default), waits for a client's connection and its data
//           in the log, and closes the window.
// Usage: qnc_lan_run_check client|server PORT
// Exit status 0 when the run behaved, 1 when not, 2 when there is no window.
#include <windows.h>

#include <regex>
#include <string>

#include "core/lantest/log_lines.h"
#include "remote_window.h"
#include "views/commands/lan_presets.h"
#include "views/templates/control_ids.h"
#include "views/templates/lan_test_template.h"
#include "views/templates/window_templates.h"
#include "win32/widgets/wide_text.h"

namespace {

using qnc::remote::Print;
using qnc::remote::WaitUntil;

constexpr int kStepLimitMs = 15000;

int failures = 0;

void Expect(bool condition, const std::string& step) {
  Print(std::string(condition ? "  ok: " : "  FAIL: ") + step + "\n");
  if (!condition) ++failures;
}

std::string ControlText(HWND window, int id) {
  HWND control = GetDlgItem(window, id);
  DWORD_PTR length = 0;
  SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kStepLimitMs, &length);
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                      kStepLimitMs, &copied);
  text.resize(copied);
  return qnc::Utf8(text);
}

void SetControlText(HWND window, int id, const std::string& text) {
  const std::wstring wide = qnc::Utf16(text);
  SendMessageTimeoutW(GetDlgItem(window, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), SMTO_ABORTIFHUNG,
                      kStepLimitMs, nullptr);
}

void ClickStartStop(HWND lan) {
  PostMessageW(lan, WM_COMMAND, MAKEWPARAM(qnc::id::kLanStartStopButton, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(lan, qnc::id::kLanStartStopButton)));
}

void CheckServer(HWND main, const std::string& port) {
  PostMessageW(main, WM_COMMAND, qnc::id::kLanServer, 0);
  HWND lan = qnc::remote::WaitForShownWindow(std::string(qnc::kLanServerPreset), kStepLimitMs);
  Expect(lan != nullptr, "the LAN menu opens the server window");
  if (lan == nullptr) return;
  Expect(ControlText(lan, qnc::id::kLanServerPortEdit) == port, "it listens on port " + port);
  // The peer's connection line, then a once-a-second line with a megabyte figure.
  const std::regex served(
      "连接IP 127\\.0\\.0\\.1[\\s\\S]*当前速率 发：[^\\r\\n]*\\d+\\.\\d\\dM|"
      "当前速率 发：[^\\r\\n]*\\d+\\.\\d\\dM[\\s\\S]*连接IP 127\\.0\\.0\\.1");
  std::string log;
  const bool moved = WaitUntil(
      [&] {
        log = ControlText(lan, qnc::id::kLanLogEdit);
        return std::regex_search(log, served);
      },
      2 * kStepLimitMs);
  Expect(moved, "the log shows the client from 127.0.0.1 and megabytes a second moving");
  // A few seconds more, so that the client sees whole seconds of data too.
  const auto reportLines = [&] {
    log = ControlText(lan, qnc::id::kLanLogEdit);
    int lines = 0;
    for (std::size_t at = log.find("当前速率 发："); at != std::string::npos; at = log.find("当前速率 发：", at + 1)) {
      ++lines;
    }
    return lines;
  };
  Expect(WaitUntil([&] { return reportLines() >= 4; }, 2 * kStepLimitMs), "the server reports second after second");
  Print("server log:\n" + log.substr(0, 600) + "\n");
  PostMessageW(lan, WM_CLOSE, 0, 0);
  Expect(WaitUntil([&] { return IsWindow(lan) == FALSE; }, kStepLimitMs), "the LAN server window closes");
}

void CheckClient(HWND main, const std::string& port) {
  PostMessageW(main, WM_COMMAND, qnc::id::kLanClient, 0);
  HWND lan = qnc::remote::WaitForShownWindow(std::string(qnc::kLanClientPreset), kStepLimitMs);
  Expect(lan != nullptr, "the LAN menu opens the client window");
  if (lan == nullptr) return;
  SetControlText(lan, qnc::id::kLanServerAddressEdit, "127.0.0.1");
  SetControlText(lan, qnc::id::kLanClientPortEdit, port);
  ClickStartStop(lan);
  Expect(WaitUntil([&] { return ControlText(lan, qnc::id::kLanStartStopButton) == qnc::lan_window::kStopText; },
                   kStepLimitMs),
         "开始测试 starts the run (the button reads 停止)");
  // A once-a-second line with a megabyte figure: data really moved.
  const std::regex moving("当前速率:  收：[^\\r\\n]*\\d+\\.\\d\\dM");
  std::string log;
  const bool moved = WaitUntil(
      [&] {
        log = ControlText(lan, qnc::id::kLanLogEdit);
        return std::regex_search(log, moving);
      },
      kStepLimitMs);
  Expect(log.find(qnc::kConnectedText.substr(0, qnc::kConnectedText.size() - 2)) != std::string::npos,
         "the log says the client is connected");
  Expect(moved, "the log shows megabytes a second moving");
  Print("log, newest first:\n" + log.substr(0, 600) + "\n");
  ClickStartStop(lan);
  Expect(WaitUntil([&] { return ControlText(lan, qnc::id::kLanStartStopButton) == qnc::lan_window::kStartText; },
                   kStepLimitMs),
         "停止 stops the run (the button reads 开始测试)");
  PostMessageW(lan, WM_CLOSE, 0, 0);
  Expect(WaitUntil([&] { return IsWindow(lan) == FALSE; }, kStepLimitMs), "the LAN window closes");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring role = argc > 1 ? argv[1] : L"";
  if (argc < 3 || (role != L"client" && role != L"server")) {
    Print("usage: qnc_lan_run_check client|server PORT\n");
    return 1;
  }
  const std::string port = qnc::Utf8(argv[2]);
  HWND main = qnc::remote::WaitForShownWindow(qnc::kMainWindowTitle, 30000);
  if (main == nullptr) {
    Print(std::string("no window titled ") + qnc::kMainWindowTitle + "\n");
    return 2;
  }
  if (role == L"client") {
    CheckClient(main, port);
  } else {
    CheckServer(main, port);
  }
  Print(failures == 0 ? "the LAN run behaved\n" : std::to_string(failures) + " steps failed\n");
  return failures == 0 ? 0 : 1;
}
