#include "core/lantest/lan_test_controller.h"

namespace qnc {

LanTestController::LanTestController(LanTestState& state, LanLog& log, ConsoleLines& console, const TickSource& ticks,
                                     const LocalClock& clock, int maxConnections)
    : state_(state), context_{state, log, console, counters_, ticks, clock}, limits_(maxConnections) {}

LanTestController::~LanTestController() { Shutdown(); }

void LanTestController::StartListener(int serverPort) {
  listeners_.JoinFinished();
  const LanServerParts parts{listenSocket_, connections_, limits_};
  listeners_.Start([this, parts, serverPort](std::stop_token stop) {
    ServerListenThread(std::move(stop), context_, parts, LanServerSettings{serverPort});
  });
}

void LanTestController::ChangePort(int serverPort) {
  // Listener first: once it is gone nobody starts connection threads.
  listeners_.StopAndJoin();
  listenSocket_.Close();
  connections_.StopAndJoin();
  StartListener(serverPort);
}

void LanTestController::StartClients(int mode, int threadCount, const LanClientSettings& settings) {
  RestartClientReportClock();
  clients_.StopAndJoin();
  clientTestRunning_ = true;
  for (int i = 0; i < threadCount; ++i) {
    clients_.Start(
        [this, settings, mode](std::stop_token stop) { ClientThread(std::move(stop), context_, settings, mode); });
  }
}

void LanTestController::StopClients() {
  RestartClientReportClock();
  clients_.StopAndJoin();
  clientTestRunning_ = false;
}

void LanTestController::RestartClientReportClock() { state_.clientMeter.SetLastReportTick(context_.ticks.Now()); }

void LanTestController::Shutdown() {
  // Listeners first: once they are gone nobody starts connection threads.
  listeners_.StopAndJoin();
  listenSocket_.Close();
  connections_.StopAndJoin();
  clients_.StopAndJoin();
  clientTestRunning_ = false;
}

int ThreadCountForIndex(int index) {
  switch (index) {
    case 1:
      return 4;
    case 2:
      return 8;
    default:
      return 1;
  }
}

}  // namespace qnc
