#pragma once
#include <QIcon>
#include <QPixmap>

namespace qnc {

// Icon 129, the window's big and small icon.
QIcon AppIcon();
// Icon 128, the notification-area icon; the same image.
QIcon TrayIcon();
// A picture built into the program, by its resource path (":/qnc/...").
QPixmap BuiltInPicture(const char* path);

// Bitmap 132: the About box's 344 x 344 QR-code picture.
inline constexpr const char* kAboutPicturePath = ":/qnc/bitmaps/132.png";

}  // namespace qnc
