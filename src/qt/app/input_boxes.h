#pragma once
#include <string>

#include "qt/widgets/template_dialog.h"

namespace qnc {

// The small modal boxes that ask for a new row's text. They open with the
// keyboard focus in the (first) text field. OK (or Enter) copies the edits
// into the members and ends the run with Accepted; Esc and the close box
// end it with Rejected and copy nothing. Texts are kept exactly as typed.
class InputBox : public TemplateDialog {
  Q_OBJECT

 public:
  InputBox(const DialogTemplate& dialogTemplate, QWidget* parent);

 protected:
  std::string EditText(int id) const;

 private:
  // Served on the OK button and on Enter.
  virtual void OnConfirm() = 0;
};

// Dialog 131, asking for a domain of the DNS table.
class CAddDomainDlg final : public InputBox {
  Q_OBJECT

 public:
  explicit CAddDomainDlg(QWidget* parent = nullptr);
  std::string m_domain;

 private:
  void OnConfirm() override;
};

// Dialog 131, asking for a host of the ping table.
class CAddPingDlg final : public InputBox {
  Q_OBJECT

 public:
  explicit CAddPingDlg(QWidget* parent = nullptr);
  std::string m_host;

 private:
  void OnConfirm() override;
};

// Dialog 136, asking for a game server (host or host:port) and its description.
class CGameDlg final : public InputBox {
  Q_OBJECT

 public:
  explicit CGameDlg(QWidget* parent = nullptr);
  std::string m_description;
  std::string m_server;

 private:
  void OnConfirm() override;
};

}  // namespace qnc
