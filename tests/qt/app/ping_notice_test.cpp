// Where pings cannot be sent, the window says why and how to fix it: on every
// ping row's tooltip and in one notice that does not block the window.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <optional>
#include <string>

#include "app_test_support.h"
#include "qt/app/main_window.h"
#include "qt/app/ping_permission_notice.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;

constexpr const char* kReason =
    "no ICMP socket: raw socket refused (Operation not permitted; needs root or CAP_NET_RAW), "
    "ICMP datagram socket refused (Permission denied; see net.ipv4.ping_group_range)";

class PingNotice : public ::testing::Test {
 protected:
  void SetUp() override { test::App(); }

  void Open(std::optional<std::string> reason) {
    MainWindowOptions options = test::StillOptions(folder_, "");
    options.defaultRows = false;
    options.dnsRows = {"a.test"};
    options.pingRows = {"127.0.0.1", "127.0.0.2"};
    options.gameRows = {"127.0.0.1:1"};
    options.trayAvailable = [] { return true; };
    options.icmpUnavailableReason = [this, reason] {
      ++checks_;
      return reason;
    };
    window_ = std::make_unique<CQUORIX_NET_CHECKDlg>(options);
    window_->show();
    ASSERT_TRUE(test::WaitUntil([&] { return window_->isVisible(); }));
  }

  QList<QMessageBox*> ShownNotices() const {
    QList<QMessageBox*> shown;
    for (QMessageBox* box : window_->findChildren<QMessageBox*>(QString::fromLatin1(kPingNoticeName))) {
      if (box->isVisible()) shown.append(box);
    }
    return shown;
  }

  QVariant ToolTip(TableKind kind, int row, int column) {
    ProbeTableModel& model = window_->Model(kind);
    return model.data(model.index(row, column), Qt::ToolTipRole);
  }

  QTemporaryDir folder_;
  std::unique_ptr<CQUORIX_NET_CHECKDlg> window_;
  int checks_ = 0;
};

TEST_F(PingNotice, WithoutPermissionTheRowsAndOneNoticeSayWhyAndHowToFixIt) {
  Open(kReason);
  const QString fix = QStringLiteral("sudo setcap cap_net_raw+ep ") + QCoreApplication::applicationFilePath();

  ASSERT_TRUE(test::WaitUntil([&] { return ShownNotices().size() == 1; }, 5s));
  QPointer<QMessageBox> notice = ShownNotices().front();
  // The system's own (English) words stay among the details; the notice
  // itself speaks the window's language.
  EXPECT_FALSE(notice->text().contains(QStringLiteral("not permitted")));
  EXPECT_EQ(notice->detailedText(), QString::fromLatin1(kReason));
  EXPECT_TRUE(notice->text().contains(fix)) << notice->text().toStdString();
  // The test program runs from the build tree, where scripts/run installs a build that can ping.
  EXPECT_TRUE(notice->text().contains(QStringLiteral("scripts/run")));
  EXPECT_TRUE(notice->text().contains(QStringLiteral("重新启动")));
  // The window goes on working while the notice is up.
  EXPECT_FALSE(notice->isModal());
  EXPECT_EQ(notice->windowModality(), Qt::NonModal);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

  ProbeTableModel& ping = window_->Model(TableKind::kPing);
  for (int row = 0; row < ping.rowCount(); ++row) {
    for (int column = 0; column < ping.columnCount(); ++column) {
      EXPECT_EQ(ToolTip(TableKind::kPing, row, column).toString(), notice->text()) << row << "," << column;
    }
  }
  for (const TableKind other : {TableKind::kDns, TableKind::kGame}) {
    EXPECT_FALSE(ToolTip(other, 0, 0).isValid()) << "only the ping rows cannot be measured";
  }

  // Dismissed, it goes for good: the check is made once and the notice shown once.
  notice->button(QMessageBox::Ok)->click();
  EXPECT_TRUE(test::WaitUntil([&] { return notice.isNull(); }, 5s));
  window_->close();
  emit window_->NotificationIcon()->activated(QSystemTrayIcon::DoubleClick);
  test::WaitUntil([] { return false; }, 200ms);
  EXPECT_TRUE(ShownNotices().isEmpty());
  EXPECT_EQ(checks_, 1);
  EXPECT_TRUE(ToolTip(TableKind::kPing, 1, 0).toString().contains(fix)) << "the rows keep saying it";
}

TEST_F(PingNotice, WithPermissionNothingIsSaid) {
  Open(std::nullopt);
  test::WaitUntil([] { return false; }, 200ms);
  EXPECT_TRUE(ShownNotices().isEmpty());
  EXPECT_FALSE(ToolTip(TableKind::kPing, 0, 0).isValid());
  EXPECT_EQ(checks_, 1);
}

}  // namespace
}  // namespace qnc
