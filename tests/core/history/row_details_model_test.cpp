// A row's details without the window: the texts naming the row, and the
// statistics, scale and lists following the row's samples.
#include "core/history/row_details_model.h"

#include <gtest/gtest.h>

#include "history_sample.h"

namespace qnc {
namespace {

using test::Answered;
using test::Failed;

TEST(RowDetailsModel, NamesTheRowInTheCaptionAndTheTargetLine) {
  const RowDetailsModel model(TableKind::kGame, "lpl.qq.com:443", std::make_shared<SampleRing>());
  EXPECT_EQ(model.WindowCaption(), "详情 - 游戏表 lpl.qq.com:443");
  EXPECT_EQ(model.TargetLine(), "游戏表：lpl.qq.com:443");
  EXPECT_EQ(model.CsvFileName(), "game-lpl.qq.com_443.csv");
}

TEST(RowDetailsModel, FollowsTheRowAndWorksItsFiguresOutAgain) {
  auto ring = std::make_shared<SampleRing>(3);
  RowDetailsModel model(TableKind::kPing, "a.test", ring);
  EXPECT_TRUE(model.HasRow());
  EXPECT_FALSE(model.Follow());
  EXPECT_EQ(model.Scale().topMs, 0.1) << "the lowest scale before any sample";

  ring->Append(Answered(0, 12));
  ring->Append(Failed(1, FailureReason::kTimeout));
  ASSERT_TRUE(model.Follow());
  EXPECT_EQ(model.Statistics().count, 2u);
  EXPECT_EQ(model.StatisticRows()[0].value, "2");
  EXPECT_EQ(model.Scale().topMs, 15);
  ASSERT_EQ(model.RecentFailures().size(), 1u);
  EXPECT_EQ(model.Chart(10, 10).failures, 1u);

  for (int second = 2; second < 5; ++second) ring->Append(Answered(second, 40));
  ASSERT_TRUE(model.Follow());
  EXPECT_EQ(model.Samples().size(), 3u) << "no more than the ring holds";
  EXPECT_TRUE(model.RecentFailures().empty());
  EXPECT_EQ(model.Statistics().answered, 3u);
  EXPECT_FALSE(model.Follow());

  const RowDetailsModel gone(TableKind::kPing, "b.test", nullptr);
  EXPECT_FALSE(gone.HasRow());
}

}  // namespace
}  // namespace qnc
