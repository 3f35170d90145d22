// The main window and the notification area, driven directly (offscreen there
// is no notification area, so whether there is one is the test's to say).
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QWindow>
#include <functional>

#include "app_test_support.h"
#include "core/config/config_file.h"
#include "qt/app/main_window.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;

class Tray : public ::testing::Test {
 protected:
  void SetUp() override { test::App(); }

  void Open(bool trayAvailable) {
    trayAvailable_ = trayAvailable;
    MainWindowOptions options = test::StillOptions(folder_, "");
    options.defaultRows = false;
    options.dnsRows = {"a.test", "b.test"};
    options.pingRows = {"127.0.0.1"};
    options.gameRows = {"h.test:443"};
    // The desktop's notification area may come and go while the window lives.
    options.trayAvailable = [this] { return trayAvailable_; };
    window_ = std::make_unique<CQUORIX_NET_CHECKDlg>(options);
    window_->show();
    ASSERT_TRUE(test::WaitUntil([&] { return window_->isVisible(); }));
  }

  // A right click on the icon; the menu it opens is answered by OnMenu.
  void RightClickIcon() {
    test::OnNextMenu([this](QMenu& menu) { return OnMenu(menu); });
    emit window_->NotificationIcon()->activated(QSystemTrayIcon::Context);
  }

  // What the tray menu sees when it opens, and the item it then chooses.
  QAction* OnMenu(QMenu& menu) {
    ++menus_;
    fileWhenMenuOpened_ = ReadConfig(window_->ConfigFilePath());
    items_.clear();
    for (QAction* action : menu.actions()) items_.push_back({action->objectName(), action->text()});
    return chooseItem_ ? menu.actions().value(0) : nullptr;
  }

  bool IconShown() const { return window_->NotificationIcon() != nullptr && window_->NotificationIcon()->isVisible(); }

  QTemporaryDir folder_;
  bool trayAvailable_ = false;
  std::unique_ptr<CQUORIX_NET_CHECKDlg> window_;
  int menus_ = 0;
  bool chooseItem_ = false;
  LoadedConfig fileWhenMenuOpened_;
  std::vector<std::pair<QString, QString>> items_;
};

TEST_F(Tray, TheCloseBoxHidesIntoTheTrayOrMinimisesWithoutOne) {
  for (const bool available : {true, false}) {
    SCOPED_TRACE(available ? "notification area" : "none");
    Open(available);
    QSignalSpy finished(window_.get(), &QDialog::finished);
    EXPECT_FALSE(window_->close()) << "the window stays";
    EXPECT_EQ(finished.count(), 0);
    EXPECT_EQ(window_->isVisible(), !available);
    EXPECT_EQ(window_->isMinimized(), !available);
    EXPECT_EQ(IconShown(), available);
    if (available) {
      EXPECT_EQ(window_->NotificationIcon()->objectName(), QStringLiteral("128"));
      EXPECT_EQ(window_->NotificationIcon()->toolTip(), QStringLiteral("Quorix路由测试工具"));
      EXPECT_FALSE(window_->NotificationIcon()->icon().isNull());
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString(window_->ConfigFilePath()))) << "closing saves nothing";
  }
}

TEST_F(Tray, ADoubleClickBringsTheWindowBackAndASingleClickDoesNothing) {
  Open(true);
  window_->close();
  ASSERT_TRUE(IconShown());
  QSystemTrayIcon& icon = *window_->NotificationIcon();
  for (const auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::MiddleClick}) {
    emit icon.activated(reason);
    EXPECT_FALSE(window_->isVisible());
    EXPECT_TRUE(IconShown());
  }
  EXPECT_EQ(menus_, 0);
  emit icon.activated(QSystemTrayIcon::DoubleClick);
  EXPECT_TRUE(window_->isVisible());
  EXPECT_FALSE(window_->isMinimized());
  EXPECT_FALSE(IconShown());

  // And to the tray again.
  window_->close();
  EXPECT_FALSE(window_->isVisible());
  EXPECT_TRUE(IconShown());
}

TEST_F(Tray, ARightClickSavesTheTablesBeforeTheMenuOpens) {
  Open(true);
  window_->close();
  QSignalSpy finished(window_.get(), &QDialog::finished);
  const auto before = window_->Table(TableKind::kDns).Snapshot();
  RightClickIcon();
  ASSERT_EQ(menus_, 1);
  EXPECT_EQ(items_,
            (std::vector<std::pair<QString, QString>>{{QStringLiteral("2"), QStringLiteral("关闭Quorix测试工具")}}));
  ASSERT_TRUE(fileWhenMenuOpened_.accepted);
  EXPECT_EQ(fileWhenMenuOpened_.tables[TableKind::kDns], (std::vector<std::string>{"a.test", "b.test"}));
  EXPECT_EQ(fileWhenMenuOpened_.tables[TableKind::kGame], (std::vector<std::string>{"h.test:443"}));
  // Dismissed: nothing further happens.
  EXPECT_EQ(finished.count(), 0);
  EXPECT_FALSE(window_->isVisible());
  EXPECT_EQ(window_->Table(TableKind::kDns).Snapshot(), before);

  // Each right click writes the tables as they are then; the menu's item
  // ends the window's run, as Esc does.
  window_->Model(TableKind::kDns).AppendRow("c.test");
  chooseItem_ = true;
  RightClickIcon();
  EXPECT_EQ(fileWhenMenuOpened_.tables[TableKind::kDns], (std::vector<std::string>{"a.test", "b.test", "c.test"}));
  ASSERT_EQ(finished.count(), 1);
  EXPECT_EQ(finished.at(0).at(0).toInt(), QDialog::Rejected);
}

// However the window left the screen before it went into the tray, it comes
// back from there normal, active and where it was, each time.
TEST_F(Tray, TheWindowComesBackNormalActiveAndInPlaceEvenAfterItWasMinimised) {
  struct Case {
    const char* name;
    // What the user does with the minimised window before the tray appears.
    std::function<void(CQUORIX_NET_CHECKDlg&)> meanwhile;
  };
  const Case cases[] = {
      {"restored from the task bar", [](CQUORIX_NET_CHECKDlg& window) { window.windowHandle()->showNormal(); }},
      {"left minimised", [](CQUORIX_NET_CHECKDlg&) {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Open(false);
    window_->move(140, 90);
    const QPoint place = window_->pos();
    window_->close();
    ASSERT_TRUE(window_->isMinimized()) << "without a notification area the close box minimises";
    c.meanwhile(*window_);

    trayAvailable_ = true;
    for (int cycle = 0; cycle < 3; ++cycle) {
      SCOPED_TRACE(cycle);
      window_->close();
      ASSERT_TRUE(IconShown());
      ASSERT_FALSE(window_->isVisible());
      emit window_->NotificationIcon()->activated(QSystemTrayIcon::DoubleClick);
      EXPECT_FALSE(IconShown());
      EXPECT_TRUE(window_->isVisible());
      EXPECT_FALSE(window_->isMinimized());
      EXPECT_FALSE(window_->windowHandle()->windowStates() & Qt::WindowMinimized);
      // The window system's side of the window: the widget's own record of
      // the active window lags offscreen, where hiding keeps the focus.
      EXPECT_TRUE(test::WaitUntil([&] { return window_->windowHandle()->isActive(); }, 5s));
      EXPECT_EQ(window_->pos(), place);
    }
  }
}

}  // namespace
}  // namespace qnc
