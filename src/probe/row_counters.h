#pragma once
#include <atomic>
#include <cstdint>

namespace qnc {

// The statistics of one measured row. Each value is read and written whole
// (relaxed atomics): a worker adds to them while the window's thread may reset
// them; the three need not change together.
struct RowCounters {
  std::atomic<std::uint32_t> lost{0};
  std::atomic<std::uint32_t> answered{0};
  std::atomic<std::uint32_t> latencySum{0};

  void Reset() {
    lost.store(0, std::memory_order_relaxed);
    answered.store(0, std::memory_order_relaxed);
    latencySum.store(0, std::memory_order_relaxed);
  }
};

}  // namespace qnc
