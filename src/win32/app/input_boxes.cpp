#include "win32/app/input_boxes.h"

#include "views/templates/control_ids.h"
#include "views/templates/window_templates.h"

namespace qnc {

InputBox::InputBox(const DialogTemplate& dialogTemplate) : TemplateDialog(dialogTemplate) {}

void InputBox::OnCommand(int id, int notifyCode, HWND control) {
  if (id == id::kOk) OnConfirm();
  TemplateDialog::OnCommand(id, notifyCode, control);
}

CAddDomainDlg::CAddDomainDlg() : InputBox(AddHostDialogTemplate()) {}

void CAddDomainDlg::OnConfirm() { m_domain = ControlText(id::kInputEdit); }

CAddPingDlg::CAddPingDlg() : InputBox(AddHostDialogTemplate()) {}

void CAddPingDlg::OnConfirm() { m_host = ControlText(id::kInputEdit); }

CGameDlg::CGameDlg() : InputBox(GameServerDialogTemplate()) {}

void CGameDlg::OnConfirm() {
  m_description = ControlText(id::kDescriptionEdit);
  m_server = ControlText(id::kInputEdit);
}

}  // namespace qnc
