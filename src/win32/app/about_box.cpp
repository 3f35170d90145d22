#include "win32/app/about_box.h"

#include "views/templates/window_templates.h"
#include "win32/widgets/template_dialog.h"

namespace qnc {

void RunAboutBox(HWND owner, HINSTANCE resources) {
  TemplateDialog box(AboutDialogTemplate());
  box.RunModal(owner, resources);
}

}  // namespace qnc
