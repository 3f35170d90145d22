#pragma once
#include <cstdint>
#include <functional>

#include "core/probe/sample_listener.h"
#include "platform/ticks.h"

namespace qnc {

// What the three probe workers share besides their table: the clock, the pause
// after each pass, how many rows are probed at once, an optional call after
// each pass (front ends print a snapshot there; tests count passes) and an
// optional listener that hears of every sample.
struct WorkerOptions {
  const TickSource* ticks = &SystemTicks();
  std::uint32_t pauseMs = 1000;
  // 1: one row after the other, in table order, as the window measures.
  int parallelProbes = 1;
  std::function<void(std::uint64_t passNumber)> onPassEnd;
  SampleListener onSample;
};

}  // namespace qnc
