#include "loaded_libraries.h"

#include <QFile>

namespace qnc::test {

bool IsMapped(const QString& fragment) {
  QFile maps(QStringLiteral("/proc/self/maps"));
  if (!maps.open(QIODevice::ReadOnly)) return false;
  return QString::fromUtf8(maps.readAll()).contains(fragment);
}

}  // namespace qnc::test
