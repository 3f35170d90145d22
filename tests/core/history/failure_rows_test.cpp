// The recent failures: failed samples only, newest first, at most the limit.
#include "core/history/failure_rows.h"

#include <gtest/gtest.h>

#include "core/history/history_text.h"
#include "history_sample.h"

namespace qnc {
namespace {

using test::Answered;
using test::Failed;

TEST(FailureRows, NewestFailuresFirstUpToTheLimit) {
  const std::vector<Sample> samples{Failed(0, FailureReason::kTimeout), Answered(1, 3),
                                    Failed(2, FailureReason::kRefused, 0.04),
                                    Failed(3, FailureReason::kUnreachable, 12)};
  const std::vector<FailureRow> all = RecentFailureRows(samples);
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].time, DateTimeText(test::SecondAt(3)));
  EXPECT_EQ(all[0].reason, "目标不可达");
  EXPECT_EQ(all[0].duration, "12.0 ms");
  EXPECT_EQ(all[1].reason, "连接被拒绝");
  EXPECT_EQ(all[1].duration, "0.04 ms");
  EXPECT_EQ(all[2].reason, "超时");

  const std::vector<FailureRow> two = RecentFailureRows(samples, 2);
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[1].reason, "连接被拒绝");
  EXPECT_TRUE(RecentFailureRows(std::vector<Sample>{Answered(0, 1)}).empty());
}

TEST(FailureRows, TheListStopsAtItsLengthWhateverTheHistoryHolds) {
  std::vector<Sample> samples;
  for (int second = 0; second < 3600; ++second) samples.push_back(Failed(second, FailureReason::kTimeout));
  const std::vector<FailureRow> rows = RecentFailureRows(samples);
  ASSERT_EQ(rows.size(), kShownFailures);
  EXPECT_EQ(rows.front().time, DateTimeText(test::SecondAt(3599)));
}

}  // namespace
}  // namespace qnc
