#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <iostream>
#include <ostream>
#include <stop_token>
#include <string>

#include "core/gpu/nvapi_interface.h"
#include "core/model/text_field.h"

namespace qnc {

struct GpuWorkerOptions {
  std::string libraryName = nvapi::kDefaultLibraryName;
  std::chrono::milliseconds pause{3000};
  // Where the cycle's two diagnostic lines go; null discards them.
  std::ostream* diagnostics = &std::cout;
  // Called after every cycle, before the pause (tests count cycles here).
  std::function<void(std::uint64_t cycle)> onCycleEnd;
};

// Reads the NVIDIA display count and the first GPU's load every few seconds
// and shows them in two labels: the count as "%d", the load as "%d%%". A
// failed cycle leaves both labels as they are; a cycle that found displays but
// no load reading updates the count only. Runs on its own thread until its
// stop token is raised; a stop also cuts the pause short.
class GpuWorker {
 public:
  GpuWorker(TextField& countLabel, TextField& usageLabel, GpuWorkerOptions options = {});

  void Run(std::stop_token stop);

  // One query cycle and its label updates; true when the cycle succeeded.
  bool RunCycle();

 private:
  TextField& countLabel_;
  TextField& usageLabel_;
  GpuWorkerOptions options_;
};

}  // namespace qnc
