#pragma once

namespace qnc {

// Hour, minute and second of the local wall-clock time.
struct TimeOfDay {
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Source of the local time of day; tests substitute a fixed one.
class LocalClock {
 public:
  virtual ~LocalClock() = default;
  virtual TimeOfDay Now() const = 0;
};

// The system's local time.
const LocalClock& SystemLocalClock();

}  // namespace qnc
