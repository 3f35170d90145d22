#include "views/templates/dialog_template.h"

namespace qnc {

const ControlTemplate* FindControl(const DialogTemplate& dialog, int id) {
  if (id == 0) return nullptr;
  for (const ControlTemplate& control : dialog.controls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

}  // namespace qnc
