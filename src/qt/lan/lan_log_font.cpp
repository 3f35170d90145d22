#include "qt/lan/lan_log_font.h"

#include <QFontDatabase>

namespace qnc {

namespace {

// Well-known CJK sans families, best first.
const char* const kFallbackFamilies[] = {"WenQuanYi Micro Hei", "Noto Sans CJK SC",    "Noto Sans SC",
                                         "Source Han Sans SC",  "Droid Sans Fallback", "AR PL UMing CN"};

QString FallbackFamily(const QStringList& installed) {
  for (const char* family : kFallbackFamilies) {
    if (installed.contains(QString::fromUtf8(family), Qt::CaseInsensitive)) return QString::fromUtf8(family);
  }
  for (const QString& family : installed) {
    if (QFontDatabase::writingSystems(family).contains(QFontDatabase::SimplifiedChinese)) return family;
  }
  return {};
}

}  // namespace

QFont LanLogFont(const QStringList& installed) {
  QFont font;
  const QString wanted = QString::fromUtf8(kLanLogFontFamily);
  const QString family = installed.contains(wanted) ? wanted : FallbackFamily(installed);
  if (!family.isEmpty()) font.setFamily(family);
  font.setPixelSize(16);
  font.setWeight(QFont::Bold);
  font.setItalic(false);
  font.setUnderline(false);
  font.setStrikeOut(false);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

}  // namespace qnc
