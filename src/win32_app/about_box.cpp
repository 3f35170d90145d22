#include "win32_app/about_box.h"

#include "ui/window_templates.h"
#include "win32_ui/template_dialog.h"

namespace qnc {

void RunAboutBox(HWND owner, HINSTANCE resources) {
  TemplateDialog box(AboutDialogTemplate());
  box.RunModal(owner, resources);
}

}  // namespace qnc
