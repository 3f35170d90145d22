#include "qt/app/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace qnc {

bool InstallChineseQtTranslations() {
  // Owned by the application object, so it lives exactly as long as the
  // texts it translates can be asked for.
  auto* translator = new QTranslator(QCoreApplication::instance());
  const QLocale chinese(QLocale::Chinese, QLocale::China);
  if (!translator->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  return true;
}

}  // namespace qnc
