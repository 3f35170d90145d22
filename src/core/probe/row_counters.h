#pragma once
#include <atomic>
#include <cstdint>

#include "core/probe/sample_ring.h"

namespace qnc {

// The statistics of one measured row. Each counter is read and written whole
// (relaxed atomics): a worker adds to them while the window's thread may reset
// them; the three need not change together. The history of the row's latest
// probes lives here too, so it goes with the row and the same resets clear it.
struct RowCounters {
  std::atomic<std::uint32_t> lost{0};
  std::atomic<std::uint32_t> answered{0};
  std::atomic<std::uint32_t> latencySum{0};
  SampleRing history;

  void Reset() {
    lost.store(0, std::memory_order_relaxed);
    answered.store(0, std::memory_order_relaxed);
    latencySum.store(0, std::memory_order_relaxed);
    history.Clear();
  }
};

}  // namespace qnc
