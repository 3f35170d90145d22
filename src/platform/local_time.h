#pragma once
#include <cstdint>
#include <optional>

namespace qnc {

// A moment as the local clock on the wall shows it, with the local time's
// distance from UTC at that moment.
struct LocalTime {
  int year = 0, month = 0, day = 0;  // month and day from 1
  int hour = 0, minute = 0, second = 0;
  int utcOffsetMinutes = 0;  // east of Greenwich positive
};

// The local time of a count of seconds since 1970-01-01 UTC; nothing when
// the system cannot convert it.
std::optional<LocalTime> ToLocalTime(std::int64_t secondsSinceEpoch);

}  // namespace qnc
