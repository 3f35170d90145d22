#pragma once
#include <chrono>
#include <cstdint>
#include <stop_token>
#include <string>
#include <vector>

#include "core/probe/probe_table.h"
#include "core/probe/worker_options.h"
#include "platform/stop_sleep.h"

namespace qnc {

// A row to probe in a pass and its target text as the pass began.
struct DueRow {
  RowRef row;
  std::string target;
};

// The pass loop the three probe workers share: at the start of each pass
// `beforePass` runs; then every row with a non-empty target is probed: in
// table order, one after the other (`probeRow(row, target)` reads its own t0
// and writes the row's result), or, with options.parallelProbes above 1, all
// of the pass's rows together (`probeDue(rows)`, which keeps many in flight
// on the worker's thread). After the last row the pass ends, the pass
// callback runs, and the worker pauses.
template <typename BeforePass, typename ProbeRow, typename ProbeDue>
void RunPasses(std::stop_token stop, ProbeTable& table, const WorkerOptions& options, BeforePass beforePass,
               ProbeRow probeRow, ProbeDue probeDue) {
  for (std::uint64_t pass = 1; !stop.stop_requested(); ++pass) {
    beforePass();
    const int rows = table.RowCount();
    if (options.parallelProbes <= 1) {
      for (int index = 0; index < rows && !stop.stop_requested(); ++index) {
        const RowRef row = table.RowAt(index);
        if (!row) continue;  // deleted since the count was read
        const std::string target = table.Cell(row.id, cell::kTarget);
        if (target.empty()) continue;
        probeRow(row, target);
      }
    } else {
      std::vector<DueRow> due;
      for (int index = 0; index < rows; ++index) {
        RowRef row = table.RowAt(index);
        if (!row) continue;
        std::string target = table.Cell(row.id, cell::kTarget);
        if (!target.empty()) due.push_back(DueRow{std::move(row), std::move(target)});
      }
      probeDue(due);
    }
    if (stop.stop_requested()) return;
    if (options.onPassEnd) options.onPassEnd(pass);
    SleepUnlessStopped(stop, std::chrono::milliseconds(options.pauseMs));
  }
}

}  // namespace qnc
