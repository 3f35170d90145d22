#pragma once
#include <cstddef>
#include <cstdint>

#include "lantest/client_engine.h"
#include "lantest/console_lines.h"
#include "lantest/lan_engine_context.h"
#include "lantest/lan_log.h"
#include "lantest/lan_test_state.h"
#include "lantest/listen_socket_slot.h"
#include "lantest/local_clock.h"
#include "lantest/server_engine.h"
#include "platform/thread_group.h"
#include "platform/ticks.h"

namespace qnc {

// The commands of the LAN test, without a window: what the test dialog and
// the headless front end do to start, stop and re-port the test threads. It
// owns every thread it starts (listeners, their connections, clients) and
// stops and joins them all before it goes away, so no test thread outlives
// the log and the settings it writes to.
//
// The waits of the commands are the dialog's: bounded sleeps on the calling
// thread while the shared stop flag is raised. Test threads never wait for the
// caller, so these waits cannot deadlock with them.
class LanTestController {
 public:
  LanTestController(LanTestState& state, LanLog& log, ConsoleLines& console,
                    const TickSource& ticks = SystemTicks(), const LocalClock& clock = SystemLocalClock(),
                    int maxConnections = kMaxServedConnections);
  ~LanTestController();
  LanTestController(const LanTestController&) = delete;
  LanTestController& operator=(const LanTestController&) = delete;

  // Starts a listener on the port (the dialog does this when it opens).
  void StartListener(int serverPort);

  // The change-port command: closes the listening socket, waits (at most 11
  // times 200 ms) for the listener to end, then listens on the new port.
  void ChangePort(int serverPort);

  // The start command, after the button already reads "停止": raises the stop
  // flag and waits at most 11 times 200 ms for earlier threads, lowers it,
  // applies the mode and starts threadCount clients.
  void BeginClientRun(int mode, int threadCount, const LanClientSettings& settings);
  // The same without the wait, for a caller that has no earlier run.
  void StartClients(int mode, int threadCount, const LanClientSettings& settings);
  // The stop command: raises the stop flag, waits at most 11 times 100 ms and
  // then one second. The flag stays raised.
  void EndClientRun();
  // The client meter's next report comes a second after now.
  void RestartClientReportClock();

  // The close command: raises the stop flag, closes the listening socket,
  // waits for the listener as the dialog does, lowers the flag, and then
  // stops and joins every thread this controller started.
  void Close();
  // Stops and joins every thread now, without touching the shared flag.
  void Shutdown();

  std::uint16_t ListeningPort() const { return listenSocket_.LocalPort(); }
  std::size_t ListenersRunning() const { return listeners_.Running(); }
  std::size_t ConnectionsRunning() const { return connections_.Running(); }
  std::size_t ClientsRunning() const { return clients_.Running(); }
  const LanEngineCounters& Counters() const { return counters_; }
  LanTestState& State() { return state_; }

 private:
  void WaitWhileStopRaised(int stepMs, int maxSteps) const;

  LanTestState& state_;
  LanEngineCounters counters_;
  LanEngineContext context_;
  ListenSocketSlot listenSocket_;
  int maxConnections_;
  // Declared last: destroyed (stopped and joined) before what they refer to.
  ThreadGroup connections_;
  ThreadGroup listeners_;
  ThreadGroup clients_;
};

// The thread count of the thread-count list's index: 1, 4 or 8.
int ThreadCountForIndex(int index);

}  // namespace qnc
