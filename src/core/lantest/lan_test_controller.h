#pragma once
#include <cstddef>
#include <cstdint>

#include "core/lantest/client_engine.h"
#include "core/lantest/lan_engine_context.h"
#include "core/lantest/lan_log.h"
#include "core/lantest/lan_test_state.h"
#include "core/lantest/listen_socket_slot.h"
#include "core/lantest/log_lines.h"
#include "core/lantest/server_engine.h"
#include "platform/thread_group.h"
#include "platform/ticks.h"

namespace qnc {

// The commands of the LAN test, without a window: what the test dialog and
// the headless front end do to start, stop and re-port the test threads. It
// owns every thread it starts (listeners, their connections, clients) and
// stops and joins them all before it goes away, so no test thread outlives
// the log and the settings it writes to.
//
// A command stops threads through their stop tokens and joins them. Every
// test thread wakes on its stop (its sleeps and socket waits watch the token,
// a stop shuts its socket down) and never waits for the caller, so these
// joins are short and cannot deadlock with it.
class LanTestController {
 public:
  LanTestController(LanTestState& state, LanLog& log, ConsoleLines& console, const TickSource& ticks = SystemTicks(),
                    const LocalClock& clock = SystemLocalClock(), int maxConnections = kMaxServedConnections);
  ~LanTestController();
  LanTestController(const LanTestController&) = delete;
  LanTestController& operator=(const LanTestController&) = delete;

  // Starts a listener on the port (the dialog does this when it opens).
  void StartListener(int serverPort);

  // The change-port command: ends the listener and the connections it
  // serves, then listens on the new port.
  void ChangePort(int serverPort);

  // The start command: ends the clients of an earlier run, starts the client
  // meter's report second afresh and starts threadCount clients in the mode.
  void StartClients(int mode, int threadCount, const LanClientSettings& settings);
  // The stop command: starts the report second afresh and ends the clients.
  void StopClients();
  // Whether a client test runs: from a start command until the stop command
  // or the close. Clients that ended on their own (their connection was lost)
  // leave it running until the user stops it. The start-stop button shows it.
  bool ClientTestRunning() const { return clientTestRunning_; }

  // The close command: stops and joins every thread this controller started.
  void Shutdown();

  std::uint16_t ListeningPort() const { return listenSocket_.LocalPort(); }
  std::size_t ListenersRunning() const { return listeners_.Running(); }
  std::size_t ConnectionsRunning() const { return connections_.Running(); }
  std::size_t ClientsRunning() const { return clients_.Running(); }
  const LanEngineCounters& Counters() const { return counters_; }

 private:
  void RestartClientReportClock();

  LanTestState& state_;
  LanEngineCounters counters_;
  LanEngineContext context_;
  ListenSocketSlot listenSocket_;
  ConnectionLimits limits_;
  bool clientTestRunning_ = false;  // the commands' thread's only
  // Declared last: destroyed (stopped and joined) before what they refer to.
  ThreadGroup connections_;
  ThreadGroup listeners_;
  ThreadGroup clients_;
};

// The thread count of the thread-count list's index: 1, 4 or 8.
int ThreadCountForIndex(int index);

}  // namespace qnc
