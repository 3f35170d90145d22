// The statistics as the details window lists them: every caption once, in
// order, with its value in the window's number formats.
#include "core/history/statistic_rows.h"

#include <gtest/gtest.h>

#include <map>

#include "core/history/history_text.h"
#include "history_sample.h"

namespace qnc {
namespace {

using test::Answered;
using test::Failed;

std::map<std::string_view, std::string> ValuesOf(const std::vector<Sample>& samples) {
  const std::vector<StatisticRow> rows = StatisticRowsOf(ComputeRowStatistics(samples));
  EXPECT_EQ(rows.size(), kStatisticCaptions.size());
  std::map<std::string_view, std::string> values;
  for (std::size_t at = 0; at < rows.size(); ++at) {
    EXPECT_EQ(rows[at].caption, kStatisticCaptions[at]);
    values[rows[at].caption] = rows[at].value;
  }
  return values;
}

TEST(StatisticRows, FiguresOfAMixedHistory) {
  auto values = ValuesOf({Answered(0, 0.25), Failed(1, FailureReason::kRefused), Answered(2, 150),
                          Failed(3, FailureReason::kTimeout), Failed(4, FailureReason::kRefused), Answered(5, 20)});
  EXPECT_EQ(values["样本数"], "6");
  EXPECT_EQ(values["成功"], "3");
  EXPECT_EQ(values["丢包率"], "50.00%");
  EXPECT_EQ(values["最近一次"], "20.0 ms") << "the newest sample answered";
  EXPECT_EQ(values["最小"], "0.25 ms");
  EXPECT_EQ(values["最大"], "150 ms");
  EXPECT_EQ(values["中位数"], "20.0 ms");
  EXPECT_EQ(values["最近一次失败"], DateTimeText(test::SecondAt(4)));
  EXPECT_EQ(values["最常见的失败原因"], "连接被拒绝");

  values = ValuesOf({Answered(0, 5), Failed(1, FailureReason::kUnreachable)});
  EXPECT_EQ(values["最近一次"], "目标不可达") << "the newest sample's reason";
}

TEST(StatisticRows, FiguresThatDoNotExistYetReadAsADash) {
  for (const auto& samples : {std::vector<Sample>{}, std::vector<Sample>{Failed(0, FailureReason::kTimeout)}}) {
    auto values = ValuesOf(samples);
    for (const char* caption : {"平均", "抖动", "最小", "最大", "标准差", "中位数", "95%", "99%"}) {
      EXPECT_EQ(values[caption], "—") << caption << " of " << samples.size() << " samples";
    }
  }
  auto values = ValuesOf({});
  EXPECT_EQ(values["丢包率"], "0.00%");
  EXPECT_EQ(values["最近一次"], "—");
  EXPECT_EQ(values["最近一次失败"], "—");
  EXPECT_EQ(values["最常见的失败原因"], "—");
}

}  // namespace
}  // namespace qnc
