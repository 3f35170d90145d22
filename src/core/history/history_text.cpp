#include "core/history/history_text.h"

#include <cstdio>

#include "platform/local_time.h"

namespace qnc {

namespace {

std::optional<LocalTime> LocalTimeOf(std::chrono::system_clock::time_point time) {
  // Whole seconds, rounded down also before 1970.
  return ToLocalTime(std::chrono::floor<std::chrono::seconds>(time).time_since_epoch().count());
}

}  // namespace

std::string MillisecondsText(double valueMs) {
  const int decimals = valueMs < 1 ? 2 : (valueMs < 100 ? 1 : 0);
  char text[64];
  std::snprintf(text, sizeof text, "%.*f ms", decimals, valueMs);
  return text;
}

std::string MillisecondsText(const std::optional<double>& valueMs) {
  return valueMs ? MillisecondsText(*valueMs) : std::string(kNoFigureText);
}

std::string DateTimeText(std::chrono::system_clock::time_point time) {
  const std::optional<LocalTime> local = LocalTimeOf(time);
  if (!local) return std::string(kNoFigureText);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", local->year, local->month, local->day, local->hour,
                local->minute, local->second);
  return text;
}

std::string TimeOfDayText(std::chrono::system_clock::time_point time) {
  const std::optional<LocalTime> local = LocalTimeOf(time);
  if (!local) return std::string(kNoFigureText);
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", local->hour, local->minute, local->second);
  return text;
}

}  // namespace qnc
