#pragma once
#include <atomic>

#include "core/lantest/lan_log.h"
#include "core/lantest/lan_test_state.h"
#include "core/lantest/log_lines.h"
#include "platform/ticks.h"

namespace qnc {

// Running counts of what the test threads did, for the owner's own use
// (the headless front end's result, tests).
struct LanEngineCounters {
  std::atomic<int> clientsConnected{0};
  std::atomic<int> clientsRefused{0};  // connected, then closed by the server before it sent anything
  std::atomic<int> connectionsAccepted{0};
  std::atomic<int> connectionsRefused{0};
  std::atomic<int> connectionsDisplaced{0};  // slow connections closed to make room for a newcomer
};

// What every LAN test thread works with besides its own socket and its stop
// token. The owner of the threads keeps all of it alive until it has joined
// them.
struct LanEngineContext {
  LanTestState& state;
  LanLog& log;
  ConsoleLines& console;  // standard output of the diagnostic lines
  LanEngineCounters& counters;
  const TickSource& ticks;
  const LocalClock& clock;
};

}  // namespace qnc
