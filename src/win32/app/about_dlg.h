#pragma once
#include "win32/widgets/template_dialog.h"

namespace qnc {

// Dialog 100, the About box: the program's name and version beside a QR-code
// picture. OK, Enter, Esc and the close box all close it.
class CAboutDlg final : public TemplateDialog {
 public:
  CAboutDlg();
};

}  // namespace qnc
