// Figures and moments as the history windows write them.
#include "core/history/history_text.h"

#include <gtest/gtest.h>

#include <regex>

#include "history_sample.h"

namespace qnc {
namespace {

TEST(HistoryText, MillisecondsKeepTheDecimalsTheirSizeNeeds) {
  struct Case {
    double ms;
    const char* text;
  };
  const Case cases[] = {{0, "0.00 ms"},     {0.025, "0.03 ms"}, {0.999, "1.00 ms"}, {1, "1.0 ms"},
                        {12.54, "12.5 ms"}, {99.94, "99.9 ms"}, {100, "100 ms"},    {2345.6, "2346 ms"}};
  for (const Case& c : cases) EXPECT_EQ(MillisecondsText(c.ms), c.text) << c.ms;
  EXPECT_EQ(MillisecondsText(std::optional<double>()), "—");
  EXPECT_EQ(MillisecondsText(std::optional<double>(3)), "3.0 ms");
}

TEST(HistoryText, MomentsAreWholeSecondsOfTheLocalClock) {
  const std::string date = DateTimeText(test::SecondAt(0));
  EXPECT_TRUE(std::regex_match(date, std::regex(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2})"))) << date;
  EXPECT_TRUE(date.ends_with(" " + TimeOfDayText(test::SecondAt(0)))) << date;
  // The fraction is cut, never rounded up into the next second.
  EXPECT_EQ(DateTimeText(test::SecondAt(0.999)), date);
  EXPECT_NE(DateTimeText(test::SecondAt(1)), date);
  // Also before 1970: a moment half a second before the epoch is in its last second.
  const auto beforeEpoch = std::chrono::system_clock::time_point(std::chrono::milliseconds(-500));
  EXPECT_EQ(TimeOfDayText(beforeEpoch),
            TimeOfDayText(std::chrono::system_clock::time_point(std::chrono::milliseconds(-1000))));
}

}  // namespace
}  // namespace qnc
