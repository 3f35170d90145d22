#pragma once
#include <QString>

namespace qnc {

// The objectName under which a window, control, menu or menu command with
// this id is found: the id in decimal.
inline QString ControlName(int id) { return QString::number(id); }

}  // namespace qnc
