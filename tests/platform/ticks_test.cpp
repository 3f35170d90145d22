#include "platform/ticks.h"

#include <gtest/gtest.h>

#include <chrono>

namespace qnc {
namespace {

// Latencies are shown as tick differences, so the counter must move a
// millisecond at a time (a coarse system counter, such as Windows'
// GetTickCount with its 10-16 ms steps, would show a 1 ms round trip as 17).
// Being descheduled only makes steps longer, so the shortest step seen is the
// counter's resolution.
TEST(TickCount, MovesOneMillisecondAtATime) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
  std::uint32_t last = TickCount();
  std::uint32_t shortestStep = 1000;
  int steps = 0;
  while (std::chrono::steady_clock::now() < until) {
    const std::uint32_t now = TickCount();
    if (now == last) continue;
    const std::uint32_t step = now - last;
    if (step < shortestStep) shortestStep = step;
    ++steps;
    last = now;
  }
  EXPECT_GE(steps, 10);
  EXPECT_LE(shortestStep, 2u);
}

}  // namespace
}  // namespace qnc
