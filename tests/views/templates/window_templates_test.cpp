// Checks that hold for every window template, whichever front end renders it.
#include "views/templates/window_templates.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "views/templates/control_ids.h"
#include "views/templates/history_templates.h"
#include "views/templates/lan_test_template.h"

namespace qnc {
namespace {

struct Named {
  const char* name;
  const DialogTemplate& dialog;
};

std::vector<Named> AllTemplates() {
  return {{"main", MainDialogTemplate()},
          {"about", AboutDialogTemplate()},
          {"add host", AddHostDialogTemplate()},
          {"game server", GameServerDialogTemplate()},
          {"web page", WebPageDialogTemplate()},
          {"LAN test", LanTestDialogTemplate()},
          {"row details", RowDetailsDialogTemplate()},
          {"diagnosis", DiagnosisDialogTemplate()}};
}

bool Has(const ControlTemplate& control, unsigned style) { return (control.styles & style) != 0; }

TEST(WindowTemplatesTest, EveryControlLiesInsideItsWindow) {
  for (const auto& [name, dialog] : AllTemplates()) {
    SCOPED_TRACE(name);
    EXPECT_GT(dialog.widthDu, 0);
    EXPECT_GT(dialog.heightDu, 0);
    for (const ControlTemplate& control : dialog.controls) {
      SCOPED_TRACE(control.id != 0 ? std::to_string(control.id) : std::string(control.text));
      const DuRect& r = control.rect;
      EXPECT_GE(r.x, 0);
      EXPECT_GE(r.y, 0);
      EXPECT_LE(r.x + r.width, dialog.widthDu);
      EXPECT_LE(r.y + r.height, dialog.heightDu);
      // Only a picture takes its size from elsewhere (its bitmap).
      if (control.kind == ControlKind::kPicture) {
        EXPECT_NE(control.bitmap, 0);
      } else {
        EXPECT_GT(r.width, 0);
        EXPECT_GT(r.height, 0);
      }
    }
  }
}

TEST(WindowTemplatesTest, IdsAreUniqueWithinAWindow) {
  for (const auto& [name, dialog] : AllTemplates()) {
    SCOPED_TRACE(name);
    std::set<int> seen;
    for (const ControlTemplate& control : dialog.controls) {
      if (control.id == 0) continue;
      EXPECT_TRUE(seen.insert(control.id).second) << "id " << control.id << " twice";
      EXPECT_EQ(FindControl(dialog, control.id), &control);
    }
    EXPECT_EQ(FindControl(dialog, 0), nullptr);
    EXPECT_EQ(FindControl(dialog, 99999), nullptr);
  }
}

// A style bit on a kind that has no use for it is a mistake in the table.
TEST(WindowTemplatesTest, StylesSuitTheirControlKinds) {
  for (const auto& [name, dialog] : AllTemplates()) {
    SCOPED_TRACE(name);
    int defaultButtons = 0;
    for (const ControlTemplate& control : dialog.controls) {
      SCOPED_TRACE(control.id);
      if (Has(control, style::kDefaultButton)) {
        EXPECT_EQ(control.kind, ControlKind::kPushButton);
        ++defaultButtons;
      }
      if (Has(control, style::kCentred | style::kRightAligned | style::kBold | style::kSelectable)) {
        EXPECT_EQ(control.kind, ControlKind::kLabel);
      }
      EXPECT_FALSE(Has(control, style::kCentred) && Has(control, style::kRightAligned));
      if (Has(control, style::kMultiLine | style::kReadOnly)) {
        EXPECT_EQ(control.kind, ControlKind::kEdit);
      }
      if (Has(control, style::kHorizontalScrollBar)) {
        EXPECT_TRUE(Has(control, style::kMultiLine));
      }
    }
    EXPECT_LE(defaultButtons, 1) << "Enter presses one button";
  }
}

TEST(WindowTemplatesTest, TheFocusControlIsAnEditOfItsWindow) {
  int withFocus = 0;
  for (const auto& [name, dialog] : AllTemplates()) {
    if (dialog.focusId == 0) continue;
    SCOPED_TRACE(name);
    ++withFocus;
    const ControlTemplate* focus = FindControl(dialog, dialog.focusId);
    ASSERT_NE(focus, nullptr);
    EXPECT_EQ(focus->kind, ControlKind::kEdit);
    EXPECT_EQ(focus->styles & (style::kHidden | style::kReadOnly), 0u);
  }
  // The two input boxes open ready for typing.
  EXPECT_EQ(AddHostDialogTemplate().focusId, id::kInputEdit);
  EXPECT_EQ(GameServerDialogTemplate().focusId, id::kInputEdit);
  EXPECT_EQ(withFocus, 2);
}

TEST(WindowTemplatesTest, WindowsAndTheirFonts) {
  struct Case {
    const DialogTemplate& dialog;
    int id;
    std::string caption;
    int pointSize;
    bool ownWindow;  // the main window only: task-bar button, minimise and maximise boxes, menu bar
  };
  const Case cases[] = {
      {MainDialogTemplate(), id::kMainDialog, "Quorix路由测试工具", 9, true},
      {AboutDialogTemplate(), id::kAboutDialog, "关于 QUORIX_NET_CHECK", 9, false},
      {AddHostDialogTemplate(), id::kAddHostDialog, "dns测试", 8, false},
      {GameServerDialogTemplate(), id::kGameServerDialog, "添加游戏服务器", 8, false},
      {WebPageDialogTemplate(), id::kWebPageDialog, "PUBG", 8, false},
      {LanTestDialogTemplate(), 0, "", 8, false},
  };
  constexpr unsigned kOwnWindow =
      window_style::kTaskBarButton | window_style::kMinimizeBox | window_style::kMaximizeBox;
  for (const Case& expected : cases) {
    SCOPED_TRACE(expected.caption);
    EXPECT_EQ(expected.dialog.id, expected.id);
    EXPECT_EQ(expected.dialog.caption, expected.caption);
    EXPECT_EQ(std::string(expected.dialog.font.face), "MS Shell Dlg");
    EXPECT_EQ(expected.dialog.font.pointSize, expected.pointSize);
    EXPECT_EQ(expected.dialog.windowStyle, expected.ownWindow ? kOwnWindow : 0u);
    EXPECT_EQ(expected.dialog.menuBar != nullptr, expected.ownWindow);
  }
}

TEST(WindowTemplatesTest, TheWebPageWindowIsOneBrowserOverItsClientArea) {
  const DialogTemplate& web = WebPageDialogTemplate();
  EXPECT_EQ(web.widthDu, 574);
  EXPECT_EQ(web.heightDu, 426);
  ASSERT_EQ(web.controls.size(), 1u);
  EXPECT_EQ(web.controls[0].id, id::kWebBrowser);
  EXPECT_EQ(web.controls[0].kind, ControlKind::kWebBrowser);
  EXPECT_EQ(web.controls[0].rect, (DuRect{0, 0, 573, 425}));
}

}  // namespace
}  // namespace qnc
