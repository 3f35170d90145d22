#pragma once
#include <vector>

#include "views/templates/dialog_template.h"

namespace qnc {

// The two windows on the rows' history: a row's details and the diagnosis.
// Their contents come from core/history (RowDetailsModel, DiagnosisModel);
// these templates say where each part goes.
namespace id {
inline constexpr int kRowDetailsDialog = 150;
inline constexpr int kDiagnosisDialog = 151;

// Row details window controls.
inline constexpr int kDetailsTargetLabel = 1001;  // "游戏表：lpl.qq.com:443"
inline constexpr int kDetailsChart = 1002;        // the latency chart, painted by the window
inline constexpr int kDetailsFailureList = 1003;  // the recent failures, newest first
inline constexpr int kDetailsExportMessage = 1004;
inline constexpr int kDetailsExportButton = 1005;
// The value labels of the statistics, one per caption of
// kStatisticCaptions (core/history/statistic_rows.h), in its order:
// kDetailsFirstStatistic + its index.
inline constexpr int kDetailsFirstStatistic = 1010;

// Diagnosis window controls.
inline constexpr int kDiagnosisVerdicts = 1001;   // the verdicts as rich text
inline constexpr int kDiagnosisTimeLabel = 1002;  // "检测时间：09:25:17"
inline constexpr int kDiagnosisRerunButton = 1003;
}  // namespace id

// A row's details window, 434 x 366 dialog units of a 9-point font, a window
// of its own on the task bar: the target line, the chart's place, the
// statistics (captions and their value labels, three to a line), the recent
// failures list, the export message and "导出 CSV". Its caption is the row's,
// set when it opens (RowDetailsModel::WindowCaption).
const DialogTemplate& RowDetailsDialogTemplate();

// A column of a list whose captions are fixed: its caption and width in pixels.
struct ListColumnTemplate {
  const char* caption;  // UTF-8
  int widthPx;
};
// The recent failures list's columns, in the order of FailureRow's texts:
// "时间", "原因", "用时"; the last one takes the room left.
const std::vector<ListColumnTemplate>& FailureListColumns();

// The diagnosis window, 366 x 183 dialog units of a 9-point font: a line that
// says what is judged, the verdicts, the time of the run and "重新检测".
const DialogTemplate& DiagnosisDialogTemplate();

}  // namespace qnc
