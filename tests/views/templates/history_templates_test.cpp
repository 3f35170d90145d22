// The row details and diagnosis windows as data: each statistic's caption
// beside its value label, the failure list's columns and the fixed texts.
#include "views/templates/history_templates.h"

#include <gtest/gtest.h>

#include <string>

#include "core/history/statistic_rows.h"

namespace qnc {
namespace {

TEST(HistoryTemplates, EachStatisticHasItsCaptionBesideItsValueThreeToALine) {
  const DialogTemplate& details = RowDetailsDialogTemplate();
  for (std::size_t at = 0; at < kStatisticCaptions.size(); ++at) {
    SCOPED_TRACE(std::string(kStatisticCaptions[at]));
    const int valueId = id::kDetailsFirstStatistic + static_cast<int>(at);
    const ControlTemplate* value = FindControl(details, valueId);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->kind, ControlKind::kLabel);
    // The caption is the control created just before its value.
    const auto index = static_cast<std::size_t>(value - details.controls.data());
    ASSERT_GT(index, 0u);
    const ControlTemplate& caption = details.controls[index - 1];
    EXPECT_EQ(std::string(caption.text), std::string(kStatisticCaptions[at]) + "：");
    EXPECT_NE(caption.styles & style::kRightAligned, 0u);
    EXPECT_EQ(caption.rect.y, value->rect.y);
    EXPECT_LE(caption.rect.x + caption.rect.width, value->rect.x);
    if (at % 3 != 0) {
      const ControlTemplate* left = FindControl(details, valueId - 1);
      EXPECT_EQ(left->rect.y, value->rect.y) << "same line as the one before";
      EXPECT_LE(left->rect.x + left->rect.width, caption.rect.x) << "and to its right";
    }
  }
}

TEST(HistoryTemplates, TheDetailsWindowsParts) {
  const DialogTemplate& details = RowDetailsDialogTemplate();
  EXPECT_EQ(details.id, id::kRowDetailsDialog);
  EXPECT_EQ(std::string(details.caption), "") << "the row's caption is set as the window opens";
  EXPECT_EQ(FindControl(details, id::kDetailsChart)->kind, ControlKind::kPaintArea);
  EXPECT_EQ(FindControl(details, id::kDetailsFailureList)->kind, ControlKind::kListView);
  EXPECT_EQ(std::string(FindControl(details, id::kDetailsExportButton)->text), "导出 CSV");
  EXPECT_EQ(FindControl(details, id::kDetailsExportMessage)->kind, ControlKind::kLabel);
  bool failuresCaption = false;
  for (const ControlTemplate& control : details.controls) {
    failuresCaption = failuresCaption || std::string(control.text) == "最近的失败（最新的在上）：";
  }
  EXPECT_TRUE(failuresCaption);
  ASSERT_EQ(FailureListColumns().size(), 3u);
  EXPECT_EQ(std::string(FailureListColumns()[0].caption), "时间");
  EXPECT_EQ(std::string(FailureListColumns()[1].caption), "原因");
  EXPECT_EQ(std::string(FailureListColumns()[2].caption), "用时");
}

TEST(HistoryTemplates, TheDiagnosisWindowsParts) {
  const DialogTemplate& diagnosis = DiagnosisDialogTemplate();
  EXPECT_EQ(diagnosis.id, id::kDiagnosisDialog);
  EXPECT_EQ(std::string(diagnosis.caption), "检测 - 网络问题在哪里");
  EXPECT_EQ(std::string(diagnosis.controls.front().text),
            "根据三个表最近的测量结果（网关、外部主机、游戏服务器和DNS域名）判断问题最可能出在哪里：");
  EXPECT_EQ(FindControl(diagnosis, id::kDiagnosisVerdicts)->kind, ControlKind::kRichText);
  EXPECT_EQ(std::string(FindControl(diagnosis, id::kDiagnosisRerunButton)->text), "重新检测");
  EXPECT_EQ(FindControl(diagnosis, id::kDiagnosisTimeLabel)->kind, ControlKind::kLabel);
}

}  // namespace
}  // namespace qnc
