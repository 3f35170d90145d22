#include "views/templates/history_templates.h"

#include <array>
#include <cstddef>
#include <string>

#include "core/history/statistic_rows.h"

namespace qnc {

using K = ControlKind;

namespace {

// A window of its own beside the main window, with its own task-bar button.
constexpr unsigned kHistoryWindowStyle = window_style::kTaskBarButton | window_style::kMinimizeBox;

// The statistics grid: three caption and value pairs to a line, the captions
// right-aligned against their values.
constexpr int kStatisticsTop = 171;
constexpr int kStatisticsLineHeight = 12;
constexpr int kStatisticsTextHeight = 9;
struct GridColumn {
  int captionX, captionWidth, valueX, valueWidth;
};
constexpr std::array<GridColumn, 3> kGridColumns{{{7, 48, 59, 90}, {150, 70, 224, 80}, {306, 34, 344, 83}}};

// "样本数：" and the rest: each caption with the colon that leads to its value.
const std::array<std::string, kStatisticCaptions.size()>& CaptionTexts() {
  static const auto texts = [] {
    std::array<std::string, kStatisticCaptions.size()> result;
    for (std::size_t at = 0; at < result.size(); ++at) result[at] = std::string(kStatisticCaptions[at]) + "：";
    return result;
  }();
  return texts;
}

void AddStatistics(std::vector<ControlTemplate>& controls) {
  for (std::size_t at = 0; at < kStatisticCaptions.size(); ++at) {
    const GridColumn& column = kGridColumns[at % kGridColumns.size()];
    const int y = kStatisticsTop + static_cast<int>(at / kGridColumns.size()) * kStatisticsLineHeight;
    controls.push_back({0,
                        K::kLabel,
                        CaptionTexts()[at].c_str(),
                        {column.captionX, y, column.captionWidth, kStatisticsTextHeight},
                        style::kRightAligned});
    controls.push_back({id::kDetailsFirstStatistic + static_cast<int>(at),
                        K::kLabel,
                        "",
                        {column.valueX, y, column.valueWidth, kStatisticsTextHeight},
                        style::kSelectable});
  }
}

}  // namespace

const DialogTemplate& RowDetailsDialogTemplate() {
  static const DialogTemplate dialog = [] {
    DialogTemplate result{
        .id = id::kRowDetailsDialog,
        .caption = "",
        .widthDu = 434,
        .heightDu = 366,
        .font = {.pointSize = 9},
        .windowStyle = kHistoryWindowStyle,
        .controls = {
            {id::kDetailsTargetLabel, K::kLabel, "", {7, 5, 420, 9}, style::kBold | style::kSelectable},
            {id::kDetailsChart, K::kPaintArea, "", {7, 16, 420, 152}},
        }};
    AddStatistics(result.controls);
    result.controls.insert(result.controls.end(),
                           {
                               {0, K::kLabel, "最近的失败（最新的在上）：", {7, 233, 200, 9}},
                               {id::kDetailsFailureList, K::kListView, "", {7, 244, 420, 98}},
                               {id::kDetailsExportMessage, K::kLabel, "", {7, 346, 362, 17}, style::kSelectable},
                               {id::kDetailsExportButton, K::kPushButton, "导出 CSV", {377, 346, 50, 14}},
                           });
    return result;
  }();
  return dialog;
}

const std::vector<ListColumnTemplate>& FailureListColumns() {
  static const std::vector<ListColumnTemplate> columns{{"时间", 150}, {"原因", 125}, {"用时", 90}};
  return columns;
}

const DialogTemplate& DiagnosisDialogTemplate() {
  static const DialogTemplate dialog{
      .id = id::kDiagnosisDialog,
      .caption = "检测 - 网络问题在哪里",
      .widthDu = 366,
      .heightDu = 183,
      .font = {.pointSize = 9},
      .windowStyle = kHistoryWindowStyle,
      .controls = {
          {0,
           K::kLabel,
           "根据三个表最近的测量结果（网关、外部主机、游戏服务器和DNS域名）判断问题最可能出在哪里：",
           {7, 5, 352, 9}},
          {id::kDiagnosisVerdicts, K::kRichText, "", {7, 17, 352, 140}},
          {id::kDiagnosisTimeLabel, K::kLabel, "", {7, 165, 200, 9}},
          {id::kDiagnosisRerunButton, K::kPushButton, "重新检测", {309, 162, 50, 14}},
      }};
  return dialog;
}

}  // namespace qnc
