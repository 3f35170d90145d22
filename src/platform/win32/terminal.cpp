#include "platform/terminal.h"

#include <atomic>

#include "platform/win32/wide_text.h"
#include "platform/win32/windows_api.h"

namespace qnc {

namespace {

std::atomic<bool> interrupted{false};

// How long the system's request to end may wait for the program to finish its
// pass and stop; Windows ends the process when the handler returns.
constexpr DWORD kEndingGraceMs = 3000;

// Runs on a thread of its own that the system starts for each event.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      interrupted.store(true);
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      interrupted.store(true);
      ::Sleep(kEndingGraceMs);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void UseUtf8Console() {
  ::SetConsoleOutputCP(CP_UTF8);
  ::SetConsoleCP(CP_UTF8);
}

void CatchInterrupts() { ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

bool InterruptRequested() { return interrupted.load(); }

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) {
    if (argc < 1 || argv == nullptr) return {};
    return std::vector<std::string>(argv + 1, argv + argc);
  }
  std::vector<std::string> arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(Utf8FromWide(wide[i]));
  ::LocalFree(wide);
  return arguments;
}

}  // namespace qnc
