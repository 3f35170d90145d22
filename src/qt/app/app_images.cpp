#include "qt/app/app_images.h"

// The resources live in this static library; they are registered by hand
// because nothing else pulls their initialiser into the program.
static void RegisterAppResources() { Q_INIT_RESOURCE(app_resources); }

namespace qnc {

namespace {

QString ResourcePath(const char* path) {
  static const bool registered = [] {
    RegisterAppResources();
    return true;
  }();
  (void)registered;
  return QString::fromUtf8(path);
}

}  // namespace

QIcon AppIcon() { return QIcon(ResourcePath(":/qnc/icons/129.png")); }

QIcon TrayIcon() { return QIcon(ResourcePath(":/qnc/icons/128.png")); }

QPixmap BuiltInPicture(const char* path) { return QPixmap(ResourcePath(path)); }

}  // namespace qnc
