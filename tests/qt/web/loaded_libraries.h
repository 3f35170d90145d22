#pragma once
#include <QString>

namespace qnc::test {

// True when a file whose path contains `fragment` is mapped into this process
// (a shared library loaded, for instance).
bool IsMapped(const QString& fragment);

}  // namespace qnc::test
