#include "core/probe/game_worker.h"

#include <chrono>

#include "core/probe/connect_flight.h"
#include "core/probe/host_port.h"
#include "core/probe/resolve_due_rows.h"
#include "core/probe/row_update.h"
#include "core/probe/worker_loop.h"

namespace qnc {

namespace {

using SteadyClock = std::chrono::steady_clock;

// One connect probe to an address: established (kNone) or why not, and the
// time from the start of the connect to its end.
ProbeOutcome ConnectOnce(Ipv4NetOrder address, std::uint16_t port, int timeoutMs, std::stop_token stop) {
  auto socket = TcpSocket::Open();
  if (!socket) return {FailureReason::kLocalError, {}};
  const auto start = SteadyClock::now();
  const ConnectResult result = socket->Connect(address, port, timeoutMs, std::move(stop));
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

GameWorker::GameWorker(ProbeTable& table, HostResolver& resolver, GameWorkerOptions options)
    : table_(table), resolver_(resolver), options_(std::move(options)) {}

void GameWorker::Run(std::stop_token stop) {
  ResetCounters(table_);
  const TickSource& ticks = *options_.ticks;
  RunPasses(
      stop, table_, options_, [] {},
      [&](const RowRef& row, const std::string& text) {
        const auto started = std::chrono::system_clock::now();
        const HostPort target = SplitHostPort(text);
        // The name is looked up first, outside the timed part: the row shows
        // the connect's round trip, not the resolver's delay.
        const ResolvedHost resolved = resolver_.Resolve(target.host, stop);
        if (stop.stop_requested()) return;
        const std::uint32_t t0 = ticks.Now();
        const ProbeOutcome outcome = resolved.address
                                         ? ConnectOnce(*resolved.address, target.port, options_.connectTimeoutMs, stop)
                                         : ProbeOutcome{resolved.failure, resolved.lookupTime};
        if (stop.stop_requested()) return;
        if (outcome.Answered()) {
          RecordSuccess(table_, row, ticks.Now() - t0);
        } else {
          RecordTimeout(table_, row);
        }
        RecordSample(table_, row, text, MakeSample(started, outcome), options_.onSample);
      },
      [&](const std::vector<DueRow>& due) {
        const auto addressed = ResolveDueRows(
            due, resolver_, table_, [](const std::string& text) { return SplitHostPort(text).host; }, options_.onSample,
            stop);
        std::vector<ConnectTarget> targets;
        targets.reserve(addressed.size());
        for (const AddressedRow& row : addressed) {
          targets.push_back(ConnectTarget{row.address, SplitHostPort(due[row.due].target).port});
        }
        ConnectMany(targets, options_.parallelProbes, options_.connectTimeoutMs, ticks, stop,
                    [&](const ConnectDone& probe) {
                      const DueRow& row = due[addressed[probe.index].due];
                      if (probe.outcome.Answered()) {
                        RecordSuccess(table_, row.row, probe.elapsedTicks);
                      } else {
                        RecordTimeout(table_, row.row);
                      }
                      RecordSample(table_, row.row, row.target, MakeSample(probe.startedAtWall, probe.outcome),
                                   options_.onSample);
                    });
      });
}

}  // namespace qnc
