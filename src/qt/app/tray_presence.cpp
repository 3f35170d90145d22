#include "qt/app/tray_presence.h"

#include <QCursor>
#include <QMenu>
#include <QWidget>
#include <QWindow>

#include "qt/app/app_images.h"
#include "qt/app/dbus_tray.h"
#include "qt/app/menus.h"
#include "qt/widgets/template_dialog.h"
#include "views/templates/control_ids.h"

namespace qnc {

TrayPresence::TrayPresence(QWidget& window, Hooks hooks) : window_(window), hooks_(std::move(hooks)) {}

TrayPresence::~TrayPresence() = default;

bool TrayPresence::TrayAvailable() const {
  return hooks_.trayAvailable ? hooks_.trayAvailable() : QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayPresence::CloseWindow() {
  if (!TrayAvailable()) {
    window_.showMinimized();
    return;
  }
  ShowIcon();
  if (!window_.isMinimized()) placeWhenHidden_ = window_.pos();
  window_.hide();
}

void TrayPresence::RestoreWindow() {
  // A window minimised before it went into the tray keeps that state while
  // hidden, and the window system may hold it apart from the widget's own;
  // shown as it is, it would come back as an unmapped icon. Both are cleared.
  const Qt::WindowStates state = window_.windowState() & ~(Qt::WindowMinimized | Qt::WindowActive);
  window_.setWindowState(state);
  if (QWindow* handle = window_.windowHandle(); handle != nullptr) handle->setWindowStates(state);
  // Placed while hidden, so that it is mapped there and does not jump.
  if (placeWhenHidden_) window_.move(*placeWhenHidden_);
  window_.show();
  window_.raise();
  window_.activateWindow();
  HideIcon();
}

void TrayPresence::ShowIcon() {
  if (icon_ == nullptr) {
    icon_ = std::make_unique<QSystemTrayIcon>(TrayIcon());
    icon_->setObjectName(ControlName(id::kTrayIcon));
    icon_->setToolTip(QString::fromUtf8(kMainWindowTitle));
    clickIsTheActivation_ = hooks_.clickIsTheActivation ? hooks_.clickIsTheActivation() : TrayIconGoesOverDBus();
    // The icon is this object's, so the connection ends with it.
    QObject::connect(icon_.get(), &QSystemTrayIcon::activated, icon_.get(),
                     [this](QSystemTrayIcon::ActivationReason reason) { OnActivated(reason); });
  }
  icon_->show();
}

void TrayPresence::HideIcon() {
  if (icon_ != nullptr) icon_->hide();
}

void TrayPresence::OnActivated(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::DoubleClick:
      RestoreWindow();
      break;
    case QSystemTrayIcon::Trigger:
      // An X11 tray also reports the first click of a double click this way;
      // there a single click does nothing.
      if (clickIsTheActivation_) RestoreWindow();
      break;
    case QSystemTrayIcon::Context:
      OnRightClick();
      break;
    case QSystemTrayIcon::MiddleClick:
    case QSystemTrayIcon::Unknown:
      break;
  }
}

void TrayPresence::OnRightClick() {
  // The save comes first and reports nothing; the menu opens in any case.
  if (hooks_.saveTables) hooks_.saveTables();
  const std::unique_ptr<QMenu> menu = BuildTrayMenu(&window_, [this] {
    if (hooks_.endProgram) hooks_.endProgram();
  });
  menu->exec(QCursor::pos());
}

}  // namespace qnc
