#include "platform/local_time.h"

#include <ctime>

namespace qnc {

namespace {

bool BreakDown(std::time_t time, std::tm& local, std::tm& utc) {
#ifdef _WIN32
  return localtime_s(&local, &time) == 0 && gmtime_s(&utc, &time) == 0;
#else
  return localtime_r(&time, &local) != nullptr && gmtime_r(&time, &utc) != nullptr;
#endif
}

// Days from 1970-01-01 to a civil date (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

std::int64_t SecondsOf(const std::tm& fields) {
  return DaysFromCivil(fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday) * 86400 + fields.tm_hour * 3600 +
         fields.tm_min * 60 + fields.tm_sec;
}

}  // namespace

std::optional<LocalTime> ToLocalTime(std::int64_t secondsSinceEpoch) {
  std::tm local{};
  std::tm utc{};
  if (!BreakDown(static_cast<std::time_t>(secondsSinceEpoch), local, utc)) return std::nullopt;
  // The offset is what separates the two broken-down forms of one moment;
  // computed this way it needs no zone field that only some systems have.
  const auto offsetSeconds = SecondsOf(local) - SecondsOf(utc);
  return LocalTime{local.tm_year + 1900,
                   local.tm_mon + 1,
                   local.tm_mday,
                   local.tm_hour,
                   local.tm_min,
                   local.tm_sec,
                   static_cast<int>(offsetSeconds / 60)};
}

}  // namespace qnc
