// Start-up and end of the program: the running-copy warning and the exit.
#include <gtest/gtest.h>

#include <QLockFile>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSysInfo>
#include <QTableView>
#include <QTimer>

#include "app_test_support.h"
#include "qt/app/application.h"
#include "qt/app/main_window.h"
#include "qt/app/running_copy.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;

class Startup : public ::testing::Test {
 protected:
  void SetUp() override { test::App(); }

  // A start with a lock folder of its own, where no other copy runs.
  StartupOptions Options() {
    StartupOptions options;
    options.instanceLockFolder = locks_.path();
    options.window = test::StillOptions(folder_, "");
    options.window.defaultRows = false;
    return options;
  }

  QTemporaryDir locks_;
  QTemporaryDir folder_;
};

// The lock files as copies of the program hold them; the start-up's warning
// on what they tell is below.
TEST_F(Startup, EachCopySeesTheOthersThatStillRun) {
  auto first = std::make_unique<RunningCopyLock>();
  EXPECT_FALSE(first->AcquireAndCheckOthers(locks_.path()));
  RunningCopyLock second;
  EXPECT_TRUE(second.AcquireAndCheckOthers(locks_.path()));
  // With the first copy gone, a third still sees the second.
  first.reset();
  RunningCopyLock third;
  EXPECT_TRUE(third.AcquireAndCheckOthers(locks_.path()));
}

TEST_F(Startup, ACopyThatDiedCountsAsGone) {
  // A lock left behind by a process that has ended.
  QProcess ended;
  ended.start(QStringLiteral("true"));
  ASSERT_TRUE(ended.waitForFinished(5000));
  const qint64 deadPid = ended.processId() != 0 ? ended.processId() : 999999;
  QFile stale(QDir(locks_.path()).filePath(QStringLiteral("Quorix路由测试工具.0.lock")));
  ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
  stale.write(QByteArray::number(deadPid) + "\nquorix-net-check\n" + QSysInfo::machineHostName().toUtf8() + "\n");
  stale.close();

  RunningCopyLock lock;
  EXPECT_FALSE(lock.AcquireAndCheckOthers(locks_.path()));
}

TEST_F(Startup, WarningBoxTexts) {
  const auto box = MakeRunningCopyWarning();
  EXPECT_EQ(box->windowTitle(), QStringLiteral("注意"));
  EXPECT_EQ(box->text(), QStringLiteral("工具已经运行，可能在右下角托盘，马上打开"));
  EXPECT_EQ(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
  EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
}

TEST_F(Startup, ShownWarningWaitsForOkThenTheWindowOpens) {
  StartupOptions options;
  options.instanceLockFolder = locks_.path();
  options.window = test::StillOptions(folder_, "");
  RunningCopyLock other;
  ASSERT_FALSE(other.AcquireAndCheckOthers(locks_.path()));

  bool sawWarning = false;
  test::OnNextModal([&](QWidget& modal) {
    auto* box = qobject_cast<QMessageBox*>(&modal);
    ASSERT_NE(box, nullptr);
    sawWarning = box->text() == QStringLiteral("工具已经运行，可能在右下角托盘，马上打开");
    box->button(QMessageBox::Ok)->click();
  });
  CQUORIX_NET_CHECKApp app(options);
  app.InitInstance();
  EXPECT_TRUE(sawWarning);
  ASSERT_NE(app.MainWindow(), nullptr);
  EXPECT_TRUE(app.MainWindow()->isVisible());
}

// Runs the event loop as main() does, until the window's run ends; fails
// (and leaves) after a bounded time.
int RunEventLoop(std::function<void()> whileRunning) {
  QTimer::singleShot(50, &test::App(), std::move(whileRunning));
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
  guard.start(10000);
  return QCoreApplication::exec();
}

TEST_F(Startup, EscEndsTheProgramAndStopsTheWorkers) {
  StartupOptions options = Options();
  options.window = test::LoopbackOptions(folder_);
  options.window.pingRows = {"127.0.0.1"};
  options.window.gameRows = {"127.0.0.1:" + std::to_string(test::ClosedPort())};
  CQUORIX_NET_CHECKApp app(options);
  app.InitInstance();
  CQUORIX_NET_CHECKDlg& window = *app.MainWindow();
  EXPECT_EQ(window.RunningWorkers(), 4) << "three probe workers and the GPU worker";

  const int result = RunEventLoop([&] { test::PressKey(window.View(TableKind::kPing), Qt::Key_Escape); });
  EXPECT_EQ(result, 0) << "the event loop did not end";
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(app.ExitInstance(), 0);
  EXPECT_EQ(app.MainWindow(), nullptr);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(options.window.configFilePath))) << "Esc saves nothing";
}

TEST_F(Startup, TheCloseBoxKeepsTheProgramRunningUntilTheTrayMenuEndsIt) {
  StartupOptions options = Options();
  options.window = test::LoopbackOptions(folder_);
  options.window.gameRows = {"127.0.0.1:" + std::to_string(test::ClosedPort())};
  options.window.trayAvailable = [] { return true; };
  int menus = 0;
  CQUORIX_NET_CHECKApp app(options);
  app.InitInstance();
  CQUORIX_NET_CHECKDlg& window = *app.MainWindow();
  const RowRef row = window.Table(TableKind::kGame).RowAt(0);

  bool stillRunningAfterClose = false;
  const int result = RunEventLoop([&] {
    window.close();
    // Hidden in the tray, the window's workers keep measuring.
    const std::uint32_t before = row.counters->lost.load();
    stillRunningAfterClose = !window.isVisible() && window.NotificationIcon()->isVisible() &&
                             test::WaitUntil([&] { return row.counters->lost.load() >= before + 2; });
    // The first right click dismisses the menu, the second chooses its item.
    for (const bool choose : {false, true}) {
      test::OnNextMenu([&menus, choose](QMenu& menu) {
        ++menus;
        return choose ? menu.actions().front() : nullptr;
      });
      emit window.NotificationIcon()->activated(QSystemTrayIcon::Context);
    }
  });
  EXPECT_TRUE(stillRunningAfterClose);
  EXPECT_EQ(menus, 2);
  EXPECT_EQ(result, 0) << "the tray menu's item ended the event loop";
  EXPECT_EQ(app.ExitInstance(), 0);
  EXPECT_EQ(app.MainWindow(), nullptr);
}

}  // namespace
}  // namespace qnc
