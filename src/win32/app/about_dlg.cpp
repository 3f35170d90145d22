#include "win32/app/about_dlg.h"

#include "views/templates/window_templates.h"

namespace qnc {

CAboutDlg::CAboutDlg() : TemplateDialog(AboutDialogTemplate()) {}

}  // namespace qnc
