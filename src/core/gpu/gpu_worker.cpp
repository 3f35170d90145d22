#include "core/gpu/gpu_worker.h"

#include <string>
#include <utility>

#include "core/gpu/gpu_load.h"
#include "platform/stop_sleep.h"

namespace qnc {

GpuWorker::GpuWorker(TextField& countLabel, TextField& usageLabel, GpuWorkerOptions options)
    : countLabel_(countLabel), usageLabel_(usageLabel), options_(std::move(options)) {}

bool GpuWorker::RunCycle() {
  const std::optional<GpuLoadReading> reading = ReadGpuLoad(options_.libraryName, options_.diagnostics);
  if (!reading) return false;
  countLabel_.SetText(std::to_string(reading->displayCount));
  // Without a reading the load label keeps its last value rather than show a
  // number the driver never gave.
  if (reading->usagePercent) usageLabel_.SetText(std::to_string(*reading->usagePercent) + "%");
  return true;
}

void GpuWorker::Run(std::stop_token stop) {
  for (std::uint64_t cycle = 1; !stop.stop_requested(); ++cycle) {
    RunCycle();
    if (options_.onCycleEnd) options_.onCycleEnd(cycle);
    SleepUnlessStopped(stop, options_.pause);
  }
}

}  // namespace qnc
