#include "app/app_icon.h"

// The resources live in this static library; they are registered by hand
// because nothing else pulls their initialiser into the program.
static void RegisterAppResources() { Q_INIT_RESOURCE(app_resources); }

namespace qnc {

namespace {

QIcon IconResource(const char* path) {
  static const bool registered = [] {
    RegisterAppResources();
    return true;
  }();
  (void)registered;
  return QIcon(QString::fromUtf8(path));
}

}  // namespace

QIcon AppIcon() { return IconResource(":/qnc/icons/129.png"); }

QIcon TrayIcon() { return IconResource(":/qnc/icons/128.png"); }

}  // namespace qnc
