#pragma once
// Samples at whole seconds from a fixed moment, for the history tests.
#include <chrono>
#include <cstdint>

#include "core/probe/sample.h"

namespace qnc::test {

inline constexpr std::int64_t kFirstSecond = 1'800'000'000;

inline std::chrono::system_clock::time_point SecondAt(double second) {
  return std::chrono::system_clock::time_point(
      std::chrono::milliseconds(kFirstSecond * 1000 + static_cast<std::int64_t>(second * 1000)));
}

inline Sample Answered(double second, double ms) {
  return {SecondAt(second), static_cast<std::uint32_t>(ms * 1000), FailureReason::kNone};
}

inline Sample Failed(double second, FailureReason reason, double ms = 1000) {
  return {SecondAt(second), static_cast<std::uint32_t>(ms * 1000), reason};
}

}  // namespace qnc::test
