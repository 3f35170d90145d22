#include "probe/game_worker.h"

#include <chrono>

#include "probe/host_port.h"
#include "probe/row_update.h"
#include "probe/worker_loop.h"

namespace qnc {

namespace {

using SteadyClock = std::chrono::steady_clock;

FailureReason ReasonOfConnectError(int error) {
  if (IsRefusedError(error)) return FailureReason::kRefused;
  if (IsUnreachableError(error)) return FailureReason::kUnreachable;
  return FailureReason::kLocalError;
}

// One connect probe: established (kNone) or why not, and the time from the
// start of the connect to its end.
ProbeOutcome ConnectOnce(std::string_view text, ResolverLock& resolver, int timeoutMs, std::stop_token stop) {
  const HostPort target = SplitHostPort(text);
  auto socket = TcpSocket::Open();
  if (!socket) return {FailureReason::kLocalError, {}};
  const std::optional<Ipv4NetOrder> address = resolver.Resolve(target.host, stop);
  if (!address) return {FailureReason::kNameNotFound, {}};
  const auto start = SteadyClock::now();
  const ConnectResult result = socket->Connect(*address, target.port, timeoutMs, std::move(stop));
  ProbeOutcome outcome{FailureReason::kNone, SteadyClock::now() - start};
  switch (result) {
    case ConnectResult::kConnected:
      break;
    case ConnectResult::kTimedOut:
    case ConnectResult::kStopped:
      outcome.reason = FailureReason::kTimeout;
      break;
    case ConnectResult::kFailed:
      outcome.reason = ReasonOfConnectError(socket->ConnectError());
      break;
  }
  return outcome;
}

}  // namespace

GameWorker::GameWorker(ProbeTable& table, ResolverLock& resolver, GameWorkerOptions options)
    : table_(table), resolver_(resolver), options_(std::move(options)) {}

void GameWorker::Run(std::stop_token stop) {
  ResetCounters(table_);
  const TickSource& ticks = *options_.ticks;
  RunPasses(
      stop, table_, options_, [] {},
      [&](const RowRef& row, const std::string& text) {
        const auto started = std::chrono::system_clock::now();
        const std::uint32_t t0 = ticks.Now();
        const ProbeOutcome outcome = ConnectOnce(text, resolver_, options_.connectTimeoutMs, stop);
        if (stop.stop_requested()) return;
        if (outcome.Answered()) {
          RecordSuccess(table_, row, ticks.Now() - t0);
        } else {
          RecordTimeout(table_, row);
        }
        RecordSample(table_, row, text, MakeSample(started, outcome), options_.onSample);
      });
}

}  // namespace qnc
