#pragma once
#include <windows.h>

#include <string>

#include "win32/widgets/template_dialog.h"

namespace qnc {

// The window that says, once, why pings cannot be sent and how to fix it,
// with the system's own words for the refusal below. It does not block the
// main window, which goes on measuring; OK, Enter, Esc or its close box
// close it.
class PingNoticeWindow final : public TemplateDialog {
 public:
  // `notice`: the text in the window's language; `reason`: the system's words.
  PingNoticeWindow(std::string notice, std::string reason);

 private:
  void OnInitDialog() override;

  const std::string notice_;
  const std::string reason_;
};

}  // namespace qnc
