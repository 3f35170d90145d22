#include "core/probe/ping_worker.h"

#include <chrono>

#include "core/probe/resolve_due_rows.h"
#include "core/probe/row_update.h"
#include "core/probe/worker_loop.h"

namespace qnc {

PingWorker::PingWorker(ProbeTable& table, ResetRequest& reset, HostResolver& resolver, PingWorkerOptions options)
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
        // The name is looked up first, outside the timed part: the row shows
        // the network's round trip, not the resolver's delay.
        const ResolvedHost resolved = resolver_.Resolve(host, stop);
        if (stop.stop_requested()) return;
        const std::uint32_t t0 = ticks.Now();
        const ProbeOutcome outcome =
            resolved.address ? flight_.PingOne(*resolved.address, echo_, ticks, options_.replyTimeoutMs, stop)
                             : ProbeOutcome{resolved.failure, resolved.lookupTime};
        if (stop.stop_requested()) return;
        if (outcome.Answered()) {
          RecordSuccess(table_, row, ticks.Now() - t0);
        } else {
          RecordTimeout(table_, row);
        }
        RecordSample(table_, row, host, MakeSample(started, outcome), options_.onSample);
      },
      [&](const std::vector<DueRow>& due) {
        const auto addressed = ResolveDueRows(
            due, resolver_, table_, [](const std::string& host) { return host; }, options_.onSample, stop);
        std::vector<Ipv4NetOrder> destinations;
        destinations.reserve(addressed.size());
        for (const AddressedRow& row : addressed) destinations.push_back(row.address);
        flight_.PingMany(destinations, options_.parallelProbes, echo_, ticks, options_.replyTimeoutMs, stop,
                         [&](const EchoDone& probe) {
                           const DueRow& row = due[addressed[probe.index].due];
                           if (probe.outcome.Answered()) {
                             RecordSuccess(table_, row.row, probe.elapsedTicks);
                           } else {
                             RecordTimeout(table_, row.row);
                           }
                           RecordSample(table_, row.row, row.target, MakeSample(probe.sentAtWall, probe.outcome),
                                        options_.onSample);
                         });
      });
}

}  // namespace qnc
