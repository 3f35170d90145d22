#include "core/probe/sample_csv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace qnc {
namespace {

using namespace std::chrono;

// Sets the process's time zone for one test and puts the old one back. The
// zones are in the POSIX form that both C libraries read ("EST5", "IST-5:30").
void SetZone(const char* zone) {
#ifdef _WIN32
  _putenv_s("TZ", zone);
  _tzset();
#else
  if (zone[0] == '\0') {
    unsetenv("TZ");
  } else {
    setenv("TZ", zone, 1);
  }
  tzset();
#endif
}

class TimeZone {
 public:
  explicit TimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    SetZone(zone);
  }
  ~TimeZone() { SetZone(old_ ? old_->c_str() : ""); }

 private:
  std::optional<std::string> old_;
};

// 2023-11-14T22:13:20.123Z
const system_clock::time_point kMoment = system_clock::time_point(seconds(1'700'000'000) + microseconds(123'987));

TEST(SampleCsv, LocalTimeWithMillisecondsAndOffset) {
  const struct {
    const char* zone;
    const char* expected;
  } cases[] = {
      {"UTC0", "2023-11-14T22:13:20.123+00:00"},
      {"CST-8", "2023-11-15T06:13:20.123+08:00"},     // east of Greenwich, the next day
      {"EST5", "2023-11-14T17:13:20.123-05:00"},      // west
      {"IST-5:30", "2023-11-15T03:43:20.123+05:30"},  // half hours
  };
  for (const auto& c : cases) {
    TimeZone zone(c.zone);
    EXPECT_EQ(FormatIsoTime(kMoment), c.expected) << c.zone;
  }
}

TEST(SampleCsv, LinesAreWholeAndQuotedWhereNeeded) {
  TimeZone zone("UTC0");
  const Sample answered{kMoment, 12'345, FailureReason::kNone};
  const Sample refused{kMoment, 0, FailureReason::kRefused};
  EXPECT_EQ(SampleCsvHeader(), "time,table,target,round_trip_ms,outcome,reason\n");
  const struct {
    TableKind table;
    std::string target;
    Sample sample;
    std::string line;
  } cases[] = {
      {TableKind::kPing, "www.example.com", answered,
       "2023-11-14T22:13:20.123+00:00,ping,www.example.com,12.345,answered,ok\n"},
      {TableKind::kGame, "host:443", refused, "2023-11-14T22:13:20.123+00:00,game,host:443,,failed,refused\n"},
      {TableKind::kDns, "a,\"b\"", Sample{kMoment, 7, FailureReason::kNone},
       "2023-11-14T22:13:20.123+00:00,dns,\"a,\"\"b\"\"\",0.007,answered,ok\n"},
      // A line break or a stray byte in a target cannot break the line or the encoding.
      {TableKind::kDns, "x\r\ny\xff", Sample{kMoment, 0, FailureReason::kBadName},
       "2023-11-14T22:13:20.123+00:00,dns,x\xEF\xBF\xBD\xEF\xBF\xBDy\xEF\xBF\xBD,,failed,bad_name\n"},
      {TableKind::kPing, "超时.example", Sample{kMoment, 1'000'000, FailureReason::kNone},
       "2023-11-14T22:13:20.123+00:00,ping,超时.example,1000.000,answered,ok\n"},
      // A target a spreadsheet would run as a formula is written as text.
      {TableKind::kDns, "=HYPERLINK(\"x\")", answered,
       "2023-11-14T22:13:20.123+00:00,dns,\"'=HYPERLINK(\"\"x\"\")\",12.345,answered,ok\n"},
      {TableKind::kGame, "+1:80", refused, "2023-11-14T22:13:20.123+00:00,game,'+1:80,,failed,refused\n"},
      {TableKind::kPing, "-x", answered, "2023-11-14T22:13:20.123+00:00,ping,'-x,12.345,answered,ok\n"},
      {TableKind::kPing, "@x", answered, "2023-11-14T22:13:20.123+00:00,ping,'@x,12.345,answered,ok\n"},
      {TableKind::kPing, "\t=x", answered, "2023-11-14T22:13:20.123+00:00,ping,\xEF\xBF\xBD=x,12.345,answered,ok\n"},
      {TableKind::kPing, "a=b-c", answered, "2023-11-14T22:13:20.123+00:00,ping,a=b-c,12.345,answered,ok\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatSampleCsv(c.table, c.target, c.sample), c.line) << c.target;
}

}  // namespace
}  // namespace qnc
