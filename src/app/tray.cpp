// The main window in the notification area: the close box sends it there, a
// double click on the icon brings it back, a right click saves the tables
// and offers the menu that ends the program.
#include <QAction>
#include <QCloseEvent>
#include <QMenu>

#include "app/app_images.h"
#include "app/main_window.h"
#include "app/menus.h"
#include "ui/control_ids.h"

namespace qnc {

void CQUORIX_NET_CHECKDlg::closeEvent(QCloseEvent* event) {
  event->ignore();
  OnSysCommand(id::kCloseCommand);
}

bool CQUORIX_NET_CHECKDlg::TrayAvailable() const {
  return options_.trayAvailable ? options_.trayAvailable() : QSystemTrayIcon::isSystemTrayAvailable();
}

void CQUORIX_NET_CHECKDlg::OnSysCommand(unsigned command) {
  if (command != id::kCloseCommand) return;
  if (TrayAvailable()) {
    AddTrayIcon();
    hide();
  } else {
    // Hidden without an icon to bring it back, the window would be lost.
    showMinimized();
  }
}

void CQUORIX_NET_CHECKDlg::AddTrayIcon() {
  if (trayIcon_ == nullptr) {
    trayIcon_ = new QSystemTrayIcon(TrayIcon(), this);
    trayIcon_->setObjectName(ControlName(id::kTrayIcon));
    trayIcon_->setToolTip(QString::fromUtf8(kMainWindowTitle));
    connect(trayIcon_, &QSystemTrayIcon::activated, this, &CQUORIX_NET_CHECKDlg::OnTrayNotify);
  }
  trayIcon_->show();
}

void CQUORIX_NET_CHECKDlg::RemoveTrayIcon() {
  if (trayIcon_ != nullptr) trayIcon_->hide();
}

void CQUORIX_NET_CHECKDlg::OnTrayNotify(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::DoubleClick:
      showNormal();
      raise();
      activateWindow();
      RemoveTrayIcon();
      break;
    case QSystemTrayIcon::Context: {
      // The save comes first and reports nothing; the menu opens in any case.
      SaveConfigFile();
      const std::unique_ptr<QMenu> menu = BuildTrayMenu(this);
      const QAction* chosen = options_.modals.runTrayMenu(*menu);
      if (chosen != nullptr && chosen->objectName().toInt() == id::kCancel) reject();
      break;
    }
    case QSystemTrayIcon::Trigger:
    case QSystemTrayIcon::MiddleClick:
    case QSystemTrayIcon::Unknown:
      break;
  }
}

}  // namespace qnc
