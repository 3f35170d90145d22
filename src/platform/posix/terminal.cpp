#include "platform/terminal.h"

#include <atomic>
#include <csignal>

namespace qnc {

namespace {

// Lock-free, so the signal handler may store to it.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnInterruptSignal(int) { interrupted.store(true); }

}  // namespace

// The terminal shows the bytes it is given, and the locale is UTF-8 here.
void UseUtf8Console() {}

void CatchInterrupts() {
  std::signal(SIGINT, OnInterruptSignal);
  std::signal(SIGTERM, OnInterruptSignal);
}

bool InterruptRequested() { return interrupted.load(); }

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  if (argc < 1 || argv == nullptr) return {};
  return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace qnc
