#include <QApplication>

#include "qt/app/application.h"
#include "qt/app/qt_translations.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("quorix-net-check"));
  QApplication::setApplicationVersion(QStringLiteral("1.0.0.1"));
  QApplication::setQuitOnLastWindowClosed(false);
  qnc::InstallChineseQtTranslations();

  const qnc::StartupOptions options;
  qnc::CQUORIX_NET_CHECKApp quorix(options);
  quorix.InitInstance();
  QApplication::exec();
  return quorix.ExitInstance();
}
