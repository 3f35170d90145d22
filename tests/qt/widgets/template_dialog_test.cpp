// The Qt renderer: each control kind and style becomes the widget it stands
// for, at its rectangle, named by its id; the window takes the template's
// caption, font, frame and menu bar.
#include "qt/widgets/template_dialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTextBrowser>

#include "qt/widgets/window_frame.h"
#include "views/templates/lan_test_template.h"
#include "views/templates/menu_templates.h"

namespace qnc {
namespace {

using K = ControlKind;

const MenuTemplate kMenu{77, {{0, "文件", {{501, "打开", {}}, {0, "更多", {{502, "关闭", {}}}}}}, {503, "帮助", {}}}};

// One control of every kind the LAN window does not use, with the styles
// that change how they are made.
const DialogTemplate kFixture{.id = 42,
                              .caption = "样板",
                              .widthDu = 200,
                              .heightDu = 120,
                              .font = {.pointSize = 9},
                              .windowStyle = window_style::kTaskBarButton | window_style::kMinimizeBox,
                              .menuBar = &kMenu,
                              .controls = {
                                  {10, K::kListView, "", {4, 4, 100, 50}},
                                  {11, K::kLabel, "居中", {110, 4, 40, 10}, style::kCentred},
                                  {12, K::kLabel, "靠左", {110, 16, 40, 10}},
                                  {13, K::kPushButton, "确定", {150, 100, 40, 14}, style::kDefaultButton},
                                  {14, K::kPushButton, "其他", {100, 100, 40, 14}},
                                  {15, K::kEtchedLine, "", {160, 4, 1, 30}, style::kHidden},
                                  {16, K::kPicture, "", {4, 60, 0, 0}, 0, 7},
                                  {17, K::kWebBrowser, "", {0, 0, 200, 120}},
                                  {18, K::kEdit, "只读", {110, 30, 60, 12}, style::kReadOnly},
                                  {19, K::kLabel, "靠右", {110, 44, 40, 10}, style::kRightAligned},
                                  {20, K::kLabel, "粗体", {110, 56, 40, 10}, style::kBold | style::kSelectable},
                                  {21, K::kRichText, "", {4, 70, 100, 40}},
                                  {22, K::kPaintArea, "", {110, 70, 80, 20}},
                              }};

QPixmap RedSquare(int bitmap) {
  if (bitmap != 7) return {};
  QPixmap picture(30, 20);
  picture.fill(Qt::red);
  return picture;
}

TEST(TemplateDialogTest, EveryLanControlBecomesItsWidgetAtItsPlace) {
  TemplateDialog dialog(LanTestDialogTemplate(), nullptr);
  const DialogUnits& units = dialog.Units();
  EXPECT_EQ(dialog.font().pointSize(), 8);
  EXPECT_EQ(dialog.size(), units.ToPixels(446, 263));
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
  for (const ControlTemplate& control : LanTestDialogTemplate().controls) {
    SCOPED_TRACE(control.id);
    QWidget* widget = dialog.Control(control.id);
    ASSERT_NE(widget, nullptr);
    QRect expected = units.ToPixels(control.rect);
    switch (control.kind) {
      case K::kGroupBox:
        EXPECT_NE(qobject_cast<QGroupBox*>(widget), nullptr);
        break;
      case K::kLabel:
        ASSERT_NE(qobject_cast<QLabel*>(widget), nullptr);
        EXPECT_EQ(qobject_cast<QLabel*>(widget)->text(), QString::fromUtf8(control.text));
        break;
      case K::kEdit:
        if (control.id == id::kLanLogEdit) {
          auto* log = qobject_cast<QPlainTextEdit*>(widget);
          ASSERT_NE(log, nullptr);
          EXPECT_TRUE(log->isReadOnly());
          EXPECT_EQ(log->lineWrapMode(), QPlainTextEdit::NoWrap);
          EXPECT_EQ(log->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        } else {
          ASSERT_NE(qobject_cast<QLineEdit*>(widget), nullptr);
          EXPECT_FALSE(qobject_cast<QLineEdit*>(widget)->isReadOnly());
        }
        break;
      case K::kPushButton: {
        auto* button = qobject_cast<QPushButton*>(widget);
        ASSERT_NE(button, nullptr);
        EXPECT_FALSE(button->isDefault() || button->autoDefault());
        break;
      }
      case K::kDropDownList: {
        auto* list = qobject_cast<QComboBox*>(widget);
        ASSERT_NE(list, nullptr);
        EXPECT_FALSE(list->isEditable());
        // Closed, as tall as an edit beside it; the template's height is the dropped list's.
        expected.setHeight(units.Y(kClosedListHeightDu));
        break;
      }
      default:
        ADD_FAILURE() << "the LAN window has no control of kind " << static_cast<int>(control.kind);
    }
    EXPECT_EQ(widget->geometry(), expected);
  }
}

TEST(TemplateDialogTest, KindsStylesAndTheWindowFrame) {
  TemplateDialog dialog(kFixture, nullptr, RedSquare);
  const DialogUnits& units = dialog.Units();
  EXPECT_EQ(dialog.objectName(), QStringLiteral("42"));
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("样板"));
  EXPECT_EQ(dialog.font().pointSize(), 9);
  EXPECT_EQ(dialog.windowFlags(), WindowFlagsFor(kFixture.windowStyle));
  dialog.show();

  EXPECT_NE(dialog.ControlAs<QTableView>(10), nullptr);
  EXPECT_EQ(dialog.ControlAs<QLabel>(11)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  EXPECT_EQ(dialog.ControlAs<QLabel>(12)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
  EXPECT_TRUE(dialog.ControlAs<QPushButton>(13)->isDefault());
  EXPECT_TRUE(dialog.ControlAs<QPushButton>(13)->autoDefault());
  EXPECT_FALSE(dialog.ControlAs<QPushButton>(14)->isDefault() || dialog.ControlAs<QPushButton>(14)->autoDefault());
  EXPECT_FALSE(dialog.Control(15)->isVisible()) << "hidden";
  EXPECT_EQ(qobject_cast<QFrame*>(dialog.Control(15))->frameShape(), QFrame::VLine);
  EXPECT_TRUE(dialog.ControlAs<QLineEdit>(18)->isReadOnly());
  EXPECT_EQ(dialog.ControlAs<QLineEdit>(18)->text(), QStringLiteral("只读"));
  EXPECT_TRUE(dialog.Control(10)->isVisible());

  // A picture takes its bitmap's size at the template's position.
  auto* picture = dialog.ControlAs<QLabel>(16);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->geometry(), QRect(units.ToPixels(DuRect{4, 60, 0, 0}).topLeft(), QSize(30, 20)));
  EXPECT_EQ(picture->pixmap().toImage().pixelColor(5, 5), QColor(Qt::red));

  // Right-aligned, bold and selectable labels; the plain one is none of these.
  EXPECT_EQ(dialog.ControlAs<QLabel>(19)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
  EXPECT_TRUE(dialog.ControlAs<QLabel>(20)->font().bold());
  EXPECT_FALSE(dialog.ControlAs<QLabel>(12)->font().bold());
  EXPECT_TRUE(dialog.ControlAs<QLabel>(20)->textInteractionFlags() & Qt::TextSelectableByMouse);
  EXPECT_FALSE(dialog.ControlAs<QLabel>(12)->textInteractionFlags() & Qt::TextSelectableByMouse);
  // Rich text is a read-only browser that follows no link by itself.
  auto* rich = dialog.ControlAs<QTextBrowser>(21);
  ASSERT_NE(rich, nullptr);
  EXPECT_TRUE(rich->isReadOnly());
  EXPECT_FALSE(rich->openLinks());

  // The browser and the painted area are the window's own to make: only
  // their places are kept.
  EXPECT_EQ(dialog.Control(17), nullptr);
  EXPECT_EQ(dialog.ControlRect(17), units.ToPixels(DuRect{0, 0, 200, 120}));
  EXPECT_EQ(dialog.Control(22), nullptr);
  EXPECT_EQ(dialog.ControlRect(22), units.ToPixels(DuRect{110, 70, 80, 20}));
  EXPECT_EQ(dialog.ControlRect(99), QRect());
  EXPECT_EQ(dialog.Control(99), nullptr);
}

TEST(TemplateDialogTest, TheMenuBarSitsAboveTheClientAreaAndTheWindowGrowsByIt) {
  TemplateDialog dialog(kFixture, nullptr, RedSquare);
  dialog.show();
  auto* bar = dialog.findChild<QMenuBar*>(QStringLiteral("77"));
  ASSERT_NE(bar, nullptr);
  EXPECT_FALSE(bar->isNativeMenuBar());
  const QSize client = dialog.Units().ToPixels(200, 120);
  EXPECT_EQ(dialog.ClientArea()->geometry(), QRect(QPoint(0, bar->height()), client));
  EXPECT_EQ(bar->geometry(), QRect(0, 0, client.width(), bar->height()));
  EXPECT_EQ(dialog.size(), QSize(client.width(), client.height() + bar->height()));

  const QList<QAction*> top = bar->actions();
  ASSERT_EQ(top.size(), 2);
  ASSERT_NE(top[0]->menu(), nullptr);
  EXPECT_EQ(top[0]->text(), QStringLiteral("文件"));
  const QList<QAction*> file = top[0]->menu()->actions();
  ASSERT_EQ(file.size(), 2);
  EXPECT_EQ(file[0]->objectName(), QStringLiteral("501"));
  ASSERT_NE(file[1]->menu(), nullptr);
  EXPECT_EQ(file[1]->menu()->actions().front()->objectName(), QStringLiteral("502"));
  EXPECT_EQ(top[1]->objectName(), QStringLiteral("503"));
  EXPECT_EQ(top[1]->menu(), nullptr);
}

TEST(TemplateDialogTest, AWindowWithoutAMenuBarIsItsClientArea) {
  TemplateDialog dialog(LanTestDialogTemplate(), nullptr);
  EXPECT_EQ(dialog.findChild<QMenuBar*>(), nullptr);
  EXPECT_EQ(dialog.ClientArea()->geometry(), QRect(QPoint(0, 0), dialog.size()));
  EXPECT_EQ(dialog.objectName(), QStringLiteral("0"));
}

}  // namespace
}  // namespace qnc
