// The LAN test window's template holds every control of both modes, each
// where the window has always had it.
#include "views/templates/lan_test_template.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>

namespace qnc {
namespace {

enum class Shown { kBoth, kServer, kClient };

struct ExpectedControl {
  int id;
  ControlKind kind;
  std::string text;
  DuRect rect;
  Shown shown;
};

const ExpectedControl kExpected[] = {
    {id::kLanParameterGroup, ControlKind::kGroupBox, "", {12, 11, 410, 110}, Shown::kBoth},
    {id::kLanServerAddressLabel, ControlKind::kLabel, "服务器IP:", {29, 39, 54, 11}, Shown::kClient},
    {id::kLanServerAddressEdit, ControlKind::kEdit, "", {89, 37, 115, 14}, Shown::kClient},
    {id::kLanClientPortLabel, ControlKind::kLabel, "端口:", {232, 38, 31, 11}, Shown::kClient},
    {id::kLanClientPortEdit, ControlKind::kEdit, "", {267, 37, 49, 14}, Shown::kClient},
    {id::kLanStartStopButton, ControlKind::kPushButton, "开始测试", {331, 36, 64, 14}, Shown::kClient},
    {id::kLanModeLabel, ControlKind::kLabel, "IN/OUT:", {29, 68, 48, 11}, Shown::kClient},
    {id::kLanModeList, ControlKind::kDropDownList, "", {88, 67, 118, 89}, Shown::kClient},
    {id::kLanServerPortLabel, ControlKind::kLabel, "服务器端口:", {38, 64, 64, 11}, Shown::kServer},
    {id::kLanServerPortEdit, ControlKind::kEdit, "", {114, 61, 96, 17}, Shown::kServer},
    {id::kLanChangePortButton, ControlKind::kPushButton, "修改端口", {232, 62, 64, 14}, Shown::kServer},
    {id::kLanThreadCountLabel, ControlKind::kLabel, "线程数:", {29, 97, 48, 11}, Shown::kClient},
    {id::kLanThreadCountList, ControlKind::kDropDownList, "", {88, 97, 120, 68}, Shown::kClient},
    {id::kLanLogEdit, ControlKind::kEdit, "", {13, 133, 407, 109}, Shown::kBoth},
};

bool Contains(std::span<const int> ids, int id) { return std::find(ids.begin(), ids.end(), id) != ids.end(); }

TEST(LanTestTemplateTest, HoldsEveryControlInCreationOrder) {
  const DialogTemplate& dialog = LanTestDialogTemplate();
  EXPECT_EQ(dialog.widthDu, 446);
  EXPECT_EQ(dialog.heightDu, 263);
  EXPECT_EQ(dialog.font.pointSize, 8);
  ASSERT_EQ(dialog.controls.size(), std::size(kExpected));
  for (std::size_t i = 0; i < std::size(kExpected); ++i) {
    const ExpectedControl& expected = kExpected[i];
    const ControlTemplate& control = dialog.controls[i];
    SCOPED_TRACE(expected.id);
    EXPECT_EQ(control.id, expected.id);
    EXPECT_EQ(control.kind, expected.kind);
    EXPECT_EQ(control.text, expected.text);
    EXPECT_EQ(control.rect, expected.rect);
    // Which mode shows it.
    const bool serverOnly = Contains(lan_window::kServerOnlyControls, control.id);
    const bool clientOnly = Contains(lan_window::kClientOnlyControls, control.id);
    EXPECT_EQ(serverOnly, expected.shown == Shown::kServer);
    EXPECT_EQ(clientOnly, expected.shown == Shown::kClient);
  }
}

TEST(LanTestTemplateTest, TheLogIsAReadOnlyMultiLineEditThatNeverWraps) {
  const ControlTemplate* log = FindControl(LanTestDialogTemplate(), id::kLanLogEdit);
  ASSERT_NE(log, nullptr);
  EXPECT_EQ(log->styles, style::kMultiLine | style::kReadOnly | style::kHorizontalScrollBar);
  // Nothing else of the window carries a style: all shown, left-aligned, one-line.
  for (const ControlTemplate& control : LanTestDialogTemplate().controls) {
    if (control.id != id::kLanLogEdit) {
      EXPECT_EQ(control.styles, 0u) << control.id;
    }
  }
}

TEST(LanTestTemplateTest, ListItemsAndTheirFirstChoice) {
  EXPECT_EQ(std::size(lan_window::kModeItems), 3u);
  EXPECT_EQ(lan_window::kModeItems[lan_window::kInitialModeIndex], "只下载测试");
  EXPECT_EQ(std::size(lan_window::kThreadCountItems), 3u);
  EXPECT_EQ(lan_window::kThreadCountItems[lan_window::kInitialThreadCountIndex], "1线程");
  // The start button's template text is the client's idle state.
  EXPECT_EQ(FindControl(LanTestDialogTemplate(), id::kLanStartStopButton)->text, lan_window::kStartText);
}

}  // namespace
}  // namespace qnc
