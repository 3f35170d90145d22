#pragma once
#include <QIcon>

namespace qnc {

// Icon 129, the window's big and small icon.
QIcon AppIcon();
// Icon 128, the notification-area icon; the same image.
QIcon TrayIcon();

}  // namespace qnc
