// Enter does nothing anywhere in the main window; Esc ends its run from any control.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>

#include "app_test_support.h"
#include "qt/app/main_window.h"
#include "views/templates/control_ids.h"

namespace qnc {
namespace {

using test::Find;

const std::vector<int> kFocusableControls{id::kPingTable,        id::kDnsTable,         id::kDnsServerEdit,
                                          id::kConfirmDnsButton, id::kRetestPingButton, id::kRetestDnsButton,
                                          id::kAboutButton,      id::kGameTable,        id::kPubgButton,
                                          id::kLolStatusButton,  id::kExportButton,     id::kImportButton};

class Keyboard : public ::testing::Test {
 protected:
  void SetUp() override {
    test::App();
    MainWindowOptions options = test::StillOptions(folder_, "");
    options.defaultRows = false;
    options.dnsRows = options.pingRows = options.gameRows = {"x.test", "y.test"};
    window_ = std::make_unique<CQUORIX_NET_CHECKDlg>(options);
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(test::WaitUntil([&] { return window_->isActiveWindow(); }));
  }

  QTemporaryDir folder_;
  std::unique_ptr<CQUORIX_NET_CHECKDlg> window_;
};

TEST_F(Keyboard, EnterDoesNothingInAnyControl) {
  int clicks = 0;
  for (QPushButton* button : window_->findChildren<QPushButton*>()) {
    QObject::connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });
  }
  QSignalSpy finished(window_.get(), &QDialog::finished);
  // Counters that a retest button would clear.
  window_->Table(TableKind::kDns).RowAt(0).counters->lost = 5;
  window_->Table(TableKind::kPing).RowAt(0).counters->lost = 5;
  const auto rows = window_->Table(TableKind::kGame).Snapshot();

  for (const int id : kFocusableControls) {
    QWidget* control = Find<QWidget>(*window_, id);
    ASSERT_NE(control, nullptr) << id;
    control->setFocus(Qt::TabFocusReason);
    for (const int key : {Qt::Key_Return, Qt::Key_Enter}) test::PressKey(*control, key);
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << id;
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << id;
  }
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(finished.count(), 0);
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(window_->Table(TableKind::kDns).RowAt(0).counters->lost.load(), 5u);
  EXPECT_EQ(window_->Table(TableKind::kPing).RowAt(0).counters->lost.load(), 5u);
  EXPECT_EQ(window_->Table(TableKind::kGame).Snapshot(), rows);
}

TEST_F(Keyboard, EscEndsTheRunFromAnyControl) {
  for (const int id : {id::kPingTable, id::kDnsServerEdit, id::kAboutButton, id::kGameTable}) {
    window_->show();
    QSignalSpy finished(window_.get(), &QDialog::finished);
    QWidget* control = Find<QWidget>(*window_, id);
    control->setFocus(Qt::TabFocusReason);
    test::PressKey(*control, Qt::Key_Escape);
    ASSERT_EQ(finished.count(), 1) << id;
    EXPECT_EQ(finished.at(0).at(0).toInt(), QDialog::Rejected);
    EXPECT_FALSE(window_->isVisible());
  }
}

}  // namespace
}  // namespace qnc
