#pragma once
#include <QPixmap>
#include <functional>

#include "qt/widgets/dialog_units.h"
#include "views/templates/dialog_template.h"

class QWidget;

namespace qnc {

// Where a window's pictures come from: the built-in bitmap with this id.
using PictureSource = std::function<QPixmap(int bitmap)>;

// Creates the widget of one template control as a child of `parent`, placed
// at its rectangle and named by its id. Null for a control that its window
// creates itself (a web browser). Hidden controls are left hidden.
QWidget* CreateControl(const ControlTemplate& control, QWidget& parent, const DialogUnits& units,
                       const PictureSource& pictures);

// A drop-down list's height when closed, in dialog units: the template's
// height includes the dropped list, which Qt sizes by itself.
inline constexpr int kClosedListHeightDu = 14;

}  // namespace qnc
