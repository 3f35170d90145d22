// The input boxes on their own: layout, OK, Enter, Esc and the close box.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <memory>

#include "app_test_support.h"
#include "qt/app/input_boxes.h"
#include "views/templates/control_ids.h"
#include "views/templates/window_templates.h"

namespace qnc {
namespace {

using test::Find;

class InputBoxTest : public ::testing::Test {
 protected:
  void SetUp() override { test::App(); }
};

void ExpectLayout(const TemplateDialog& box, const DialogTemplate& layout, const QString& caption) {
  EXPECT_EQ(box.windowTitle(), caption);
  EXPECT_EQ(box.font().pointSize(), 8);
  EXPECT_EQ(box.minimumSize(), box.maximumSize());
  EXPECT_EQ(box.size(), box.Units().ToPixels(layout.widthDu, layout.heightDu));
  const auto* ok = Find<QPushButton>(box, id::kOk);
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->text(), QStringLiteral("确定"));
  EXPECT_TRUE(ok->isDefault());
  for (const ControlTemplate& control : layout.controls) {
    if (control.id == 0) continue;
    EXPECT_EQ(box.Control(control.id)->geometry(), box.Units().ToPixels(control.rect)) << control.id;
  }
  QStringList labels;
  for (const QLabel* label : box.findChildren<QLabel*>()) labels << label->text();
  QStringList expected;
  for (const ControlTemplate& control : layout.controls) {
    if (control.kind == ControlKind::kLabel) {
      expected << QString::fromUtf8(control.text);
    }
  }
  EXPECT_EQ(labels, expected);
}

TEST_F(InputBoxTest, Layouts) {
  CAddDomainDlg domain;
  ExpectLayout(domain, AddHostDialogTemplate(), QStringLiteral("dns测试"));
  CAddPingDlg ping;
  ExpectLayout(ping, AddHostDialogTemplate(), QStringLiteral("dns测试"));
  CGameDlg game;
  ExpectLayout(game, GameServerDialogTemplate(), QStringLiteral("添加游戏服务器"));
  EXPECT_EQ(AddHostDialogTemplate().controls.front().id, id::kOk) << "OK comes first in tab order";
  EXPECT_EQ(GameServerDialogTemplate().controls.front().id, id::kOk);
}

TEST_F(InputBoxTest, OkAndEnterKeepTheTextExactlyAsTyped) {
  const std::string typed = "  Mixed.Case.example:8080 ";
  {
    CAddDomainDlg box;
    test::OnNextModal([&](QWidget& modal) {
      test::Type(*Find<QLineEdit>(modal, id::kInputEdit), QString::fromStdString(typed));
      QTest::mouseClick(Find<QPushButton>(modal, id::kOk), Qt::LeftButton);
    });
    EXPECT_EQ(box.exec(), QDialog::Accepted);
    EXPECT_EQ(box.m_domain, typed);
  }
  {
    CAddPingDlg box;
    test::OnNextModal([&](QWidget& modal) {
      auto* edit = Find<QLineEdit>(modal, id::kInputEdit);
      test::Type(*edit, QStringLiteral("192.168.1.1"));
      QTest::keyClick(edit, Qt::Key_Return);  // Enter presses OK
    });
    EXPECT_EQ(box.exec(), QDialog::Accepted);
    EXPECT_EQ(box.m_host, "192.168.1.1");
  }
  {
    CGameDlg box;
    test::OnNextModal([&](QWidget& modal) {
      test::Type(*Find<QLineEdit>(modal, id::kInputEdit), QStringLiteral("8.8.8.8:999"));
      test::Type(*Find<QLineEdit>(modal, id::kDescriptionEdit), QStringLiteral("测试服"));
      QTest::mouseClick(Find<QPushButton>(modal, id::kOk), Qt::LeftButton);
    });
    EXPECT_EQ(box.exec(), QDialog::Accepted);
    EXPECT_EQ(box.m_server, "8.8.8.8:999");
    EXPECT_EQ(box.m_description, "测试服");
  }
}

// Typing goes straight into the (first) text field: the box opens with the
// keyboard focus there, and Enter still presses OK.
TEST_F(InputBoxTest, OpensWithTheFocusInTheTextField) {
  struct Case {
    std::function<std::unique_ptr<InputBox>()> make;
    std::function<std::string(const InputBox&)> typed;
  };
  const Case cases[] = {
      {[] { return std::make_unique<CAddDomainDlg>(); },
       [](const InputBox& box) { return static_cast<const CAddDomainDlg&>(box).m_domain; }},
      {[] { return std::make_unique<CAddPingDlg>(); },
       [](const InputBox& box) { return static_cast<const CAddPingDlg&>(box).m_host; }},
      {[] { return std::make_unique<CGameDlg>(); },
       [](const InputBox& box) { return static_cast<const CGameDlg&>(box).m_server; }},
  };
  for (const Case& boxCase : cases) {
    const std::unique_ptr<InputBox> box = boxCase.make();
    SCOPED_TRACE(box->windowTitle().toStdString());
    test::OnNextModal([&](QWidget& modal) {
      ASSERT_TRUE(test::WaitUntil([] { return QApplication::focusWidget() != nullptr; }));
      EXPECT_EQ(QApplication::focusWidget(), Find<QLineEdit>(modal, id::kInputEdit));
      test::Type(*QApplication::focusWidget(), QStringLiteral("example.org"));
      test::PressKey(*QApplication::focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(box->exec(), QDialog::Accepted);
    EXPECT_EQ(boxCase.typed(*box), "example.org");
  }
}

TEST_F(InputBoxTest, EscAndTheCloseBoxCopyNothing) {
  for (const bool useEsc : {true, false}) {
    CGameDlg box;
    test::OnNextModal([&](QWidget& modal) {
      test::Type(*Find<QLineEdit>(modal, id::kInputEdit), QStringLiteral("typed"));
      test::Type(*Find<QLineEdit>(modal, id::kDescriptionEdit), QStringLiteral("typed"));
      if (useEsc) {
        QTest::keyClick(Find<QLineEdit>(modal, id::kInputEdit), Qt::Key_Escape);
      } else {
        modal.close();
      }
    });
    EXPECT_EQ(box.exec(), QDialog::Rejected) << useEsc;
    EXPECT_EQ(box.m_server, "");
    EXPECT_EQ(box.m_description, "");
  }
}

}  // namespace
}  // namespace qnc
