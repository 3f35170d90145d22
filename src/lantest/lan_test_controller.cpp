#include "lantest/lan_test_controller.h"

#include <chrono>
#include <thread>

namespace qnc {

LanTestController::LanTestController(LanTestState& state, LanLog& log, ConsoleLines& console,
                                     const TickSource& ticks, const LocalClock& clock, int maxConnections)
    : state_(state),
      context_{state, log, console, counters_, ticks, clock},
      maxConnections_(maxConnections) {}

LanTestController::~LanTestController() { Shutdown(); }

void LanTestController::StartListener(int serverPort) {
  listeners_.JoinFinished();
  const LanServerParts parts{listenSocket_, connections_, maxConnections_};
  listeners_.Start([this, parts, serverPort](std::stop_token stop) {
    ServerListenThread(std::move(stop), context_, parts, LanServerSettings{serverPort});
  });
}

void LanTestController::ChangePort(int serverPort) {
  listenSocket_.Close();
  state_.stop.store(1);
  WaitWhileStopRaised(200, 11);  // the ending listener lowers the flag
  state_.stop.store(0);
  StartListener(serverPort);
}

void LanTestController::BeginClientRun(int mode, int threadCount, const LanClientSettings& settings) {
  RestartClientReportClock();
  state_.stop.store(1);
  WaitWhileStopRaised(200, 11);
  state_.stop.store(0);
  StartClients(mode, threadCount, settings);
}

void LanTestController::StartClients(int mode, int threadCount, const LanClientSettings& settings) {
  clients_.JoinFinished();
  ApplyClientMode(state_, mode);
  for (int i = 0; i < threadCount; ++i) {
    clients_.Start([this, settings](std::stop_token stop) { ClientThread(std::move(stop), context_, settings); });
  }
}

void LanTestController::EndClientRun() {
  RestartClientReportClock();
  state_.stop.store(1);
  WaitWhileStopRaised(100, 11);
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
}

void LanTestController::RestartClientReportClock() { state_.clientMeter.SetLastReportTick(context_.ticks.Now()); }

void LanTestController::Close() {
  state_.stop.store(1);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  listenSocket_.Close();
  state_.stop.store(1);
  WaitWhileStopRaised(200, 11);
  state_.stop.store(0);
  Shutdown();
}

void LanTestController::Shutdown() {
  // Listeners first: once they are gone nobody starts connection threads.
  listeners_.StopAndJoin();
  listenSocket_.Close();
  connections_.StopAndJoin();
  clients_.StopAndJoin();
}

void LanTestController::WaitWhileStopRaised(int stepMs, int maxSteps) const {
  for (int step = 0; step < maxSteps && state_.stop.load() == 1; ++step) {
    std::this_thread::sleep_for(std::chrono::milliseconds(stepMs));
  }
}

int ThreadCountForIndex(int index) {
  switch (index) {
    case 1: return 4;
    case 2: return 8;
    default: return 1;
  }
}

}  // namespace qnc
