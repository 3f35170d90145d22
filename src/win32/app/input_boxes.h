#pragma once
#include <string>

#include "win32/widgets/template_dialog.h"

namespace qnc {

// The small modal boxes that ask for a new row's text. They open with the
// keyboard focus in the (first) edit. OK (or Enter) copies the edits into the
// members, exactly as typed, and ends the run with OK; Esc or the close box
// end it with cancel and copy nothing.
class InputBox : public TemplateDialog {
 public:
  explicit InputBox(const DialogTemplate& dialogTemplate);

 private:
  void OnCommand(int id, int notifyCode, HWND control) override;
  // Served on the OK button and on Enter.
  virtual void OnConfirm() = 0;
};

// Dialog 131, asking for a domain of the DNS table.
class CAddDomainDlg final : public InputBox {
 public:
  CAddDomainDlg();
  std::string m_domain;  // NOLINT(readability-identifier-naming): the box's name for what it asks

 private:
  void OnConfirm() override;
};

// Dialog 131, asking for a host of the ping table.
class CAddPingDlg final : public InputBox {
 public:
  CAddPingDlg();
  std::string m_host;  // NOLINT(readability-identifier-naming)

 private:
  void OnConfirm() override;
};

// Dialog 136, asking for a game server (host or host:port) and its description.
class CGameDlg final : public InputBox {
 public:
  CGameDlg();
  std::string m_description;  // NOLINT(readability-identifier-naming)
  std::string m_server;       // NOLINT(readability-identifier-naming)

 private:
  void OnConfirm() override;
};

}  // namespace qnc
