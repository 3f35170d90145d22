#pragma once
#include <cstdint>
#include <functional>

#include "platform/ticks.h"

namespace qnc {

// What the three probe workers share besides their table: the clock, the pause
// after each pass, and an optional call after each pass (front ends print a
// snapshot there; tests count passes).
struct WorkerOptions {
  const TickSource* ticks = &SystemTicks();
  std::uint32_t pauseMs = 1000;
  std::function<void(std::uint64_t passNumber)> onPassEnd;
};

}  // namespace qnc
