#pragma once
#include <cstdint>

namespace qnc {

// Milliseconds of a steady clock, truncated to 32 bits. Differences are taken
// modulo 2^32, so an interval that spans the wrap still comes out right.
std::uint32_t TickCount();

// Source of millisecond ticks; tests substitute a fake one where time matters.
class TickSource {
 public:
  virtual ~TickSource() = default;
  virtual std::uint32_t Now() const = 0;
};

// The process's real tick counter.
const TickSource& SystemTicks();

}  // namespace qnc
