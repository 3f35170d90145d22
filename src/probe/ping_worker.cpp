#include "probe/ping_worker.h"

#include <chrono>

#include "probe/row_update.h"
#include "probe/worker_loop.h"

namespace qnc {

PingWorker::PingWorker(ProbeTable& table, ResetRequest& reset, ResolverLock& resolver, PingWorkerOptions options)
    : table_(table), reset_(reset), resolver_(resolver), options_(std::move(options)) {}

void PingWorker::Run(std::stop_token stop) {
  echo_.Restart();
  ResetCounters(table_);
  const TickSource& ticks = *options_.ticks;
  RunPasses(
      stop, table_, options_,
      [this] {
        if (reset_.ConsumePing()) {
          ResetCounters(table_);
          echo_.Restart();
        }
      },
      [&](const RowRef& row, const std::string& host) {
        const auto started = std::chrono::system_clock::now();
        const std::uint32_t t0 = ticks.Now();
        const ProbeOutcome outcome = Ping(host, echo_, resolver_, ticks, options_.replyTimeoutMs, stop);
        if (stop.stop_requested()) return;
        if (outcome.Answered()) {
          RecordSuccess(table_, row, ticks.Now() - t0);
        } else {
          RecordTimeout(table_, row);
        }
        RecordSample(table_, row, host, MakeSample(started, outcome), options_.onSample);
      });
}

}  // namespace qnc
