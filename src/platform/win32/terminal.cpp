#include "platform/terminal.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "platform/win32/wide_text.h"
#include "platform/win32/windows_api.h"

namespace qnc {

namespace {

std::atomic<bool> interrupted{false};

// The console's code pages as the program found them (0: no console).
UINT inputCodePageBefore = 0;
UINT outputCodePageBefore = 0;

// At exit, which Ctrl-C reaches too (it ends the run, not the process): the
// console goes back to its own code pages, so the shell and the programs run
// after this one show their text as before. What is still buffered is
// written first, while the console still reads it as UTF-8.
void RestoreConsoleCodePages() {
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  if (outputCodePageBefore != 0) ::SetConsoleOutputCP(outputCodePageBefore);
  if (inputCodePageBefore != 0) ::SetConsoleCP(inputCodePageBefore);
}

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
  inputCodePageBefore = ::GetConsoleCP();
  outputCodePageBefore = ::GetConsoleOutputCP();
  if (inputCodePageBefore == 0 && outputCodePageBefore == 0) return;
  ::SetConsoleOutputCP(CP_UTF8);
  ::SetConsoleCP(CP_UTF8);
  std::atexit(RestoreConsoleCodePages);
}

void CatchInterrupts() { ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

bool InterruptRequested() { return interrupted.load(); }

void CatchReloadRequests() {}

bool TakeReloadRequest() { return false; }

void FailWritesPastFileSizeLimit() {}

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
