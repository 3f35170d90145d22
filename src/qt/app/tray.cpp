// The main window's side of its place in the notification area: the close
// box and the icon's events go to its TrayPresence, made on first use.
#include <QCloseEvent>
#include <QtGlobal>

#include "qt/app/main_window.h"

namespace qnc {

TrayPresence& CQUORIX_NET_CHECKDlg::Tray() {
  if (tray_ == nullptr) {
    tray_ = std::make_unique<TrayPresence>(*this, TrayPresence::Hooks{
                                                      .trayAvailable = options_.trayAvailable,
                                                      .clickIsTheActivation = {},
                                                      .saveTables = [this] { SaveForTray(); },
                                                      .endProgram = [this] { reject(); },
                                                  });
  }
  return *tray_;
}

void CQUORIX_NET_CHECKDlg::SaveForTray() {
  // The menu opens whatever the save did; a failure goes to the log only.
  if (!commands_.SaveFixedFile()) qWarning("cannot save the host lists to %s", ConfigFilePath().c_str());
}

void CQUORIX_NET_CHECKDlg::closeEvent(QCloseEvent* event) {
  // Only the cancel command ends the window's run.
  event->ignore();
  Tray().CloseWindow();
}

void CQUORIX_NET_CHECKDlg::OnTrayNotify(QSystemTrayIcon::ActivationReason reason) { Tray().OnActivated(reason); }

}  // namespace qnc
