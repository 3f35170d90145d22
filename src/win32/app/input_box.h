#pragma once
#include <string>

#include "win32/widgets/template_dialog.h"

namespace qnc {

// The input boxes that ask for a new row: the one-field box for a domain or
// host, and the game-server box with its description. OK (or Enter) keeps
// the edits' texts exactly as typed and ends the run with OK; Esc or the close
// box end it with cancel and keep nothing.
class InputBox final : public TemplateDialog {
 public:
  explicit InputBox(const DialogTemplate& dialogTemplate);

  const std::string& Target() const { return target_; }
  const std::string& Description() const { return description_; }

 private:
  void OnCommand(int id, int notifyCode, HWND control) override;

  std::string target_;
  std::string description_;
};

}  // namespace qnc
