#include "win32/app/input_box.h"

#include "views/templates/control_ids.h"

namespace qnc {

InputBox::InputBox(const DialogTemplate& dialogTemplate) : TemplateDialog(dialogTemplate) {}

void InputBox::OnCommand(int id, int notifyCode, HWND control) {
  if (id == id::kOk) {
    if (Control(id::kDescriptionEdit) != nullptr) description_ = ControlText(id::kDescriptionEdit);
    target_ = ControlText(id::kInputEdit);
  }
  TemplateDialog::OnCommand(id, notifyCode, control);
}

}  // namespace qnc
