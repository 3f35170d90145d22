#include "qt/app/input_boxes.h"

#include <QLineEdit>
#include <QPushButton>

#include "views/templates/control_ids.h"
#include "views/templates/window_templates.h"

namespace qnc {

InputBox::InputBox(const DialogTemplate& dialogTemplate, QWidget* parent) : TemplateDialog(dialogTemplate, parent) {
  setModal(true);
  connect(ControlAs<QPushButton>(id::kOk), &QPushButton::clicked, this, [this] { OnConfirm(); });
}

std::string InputBox::EditText(int id) const { return ControlAs<QLineEdit>(id)->text().toStdString(); }

CAddDomainDlg::CAddDomainDlg(QWidget* parent) : InputBox(AddHostDialogTemplate(), parent) {}

void CAddDomainDlg::OnConfirm() {
  m_domain = EditText(id::kInputEdit);
  accept();
}

CAddPingDlg::CAddPingDlg(QWidget* parent) : InputBox(AddHostDialogTemplate(), parent) {}

void CAddPingDlg::OnConfirm() {
  m_host = EditText(id::kInputEdit);
  accept();
}

CGameDlg::CGameDlg(QWidget* parent) : InputBox(GameServerDialogTemplate(), parent) {}

void CGameDlg::OnConfirm() {
  m_description = EditText(id::kDescriptionEdit);
  m_server = EditText(id::kInputEdit);
  accept();
}

}  // namespace qnc
