#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/probe/row_statistics.h"

namespace qnc {

// The statistics a row's details show, each a caption and its value, in the
// order they are read: three to a line.
inline constexpr std::array<std::string_view, 14> kStatisticCaptions{
    "样本数", "成功",   "丢包率", "最近一次", "平均", "抖动",         "最小",
    "最大",   "标准差", "中位数", "95%",      "99%",  "最近一次失败", "最常见的失败原因"};

struct StatisticRow {
  std::string_view caption;  // one of kStatisticCaptions
  std::string value;         // "37", "35.14%", "0.07 ms", "连接被拒绝", "—"
};

// The rows of `statistics`, one per caption of kStatisticCaptions, in its
// order. Round trips read as MillisecondsText; "最近一次" is the newest
// sample's failure reason when it failed; a figure that does not exist yet
// reads "—".
std::vector<StatisticRow> StatisticRowsOf(const RowStatistics& statistics);

}  // namespace qnc
