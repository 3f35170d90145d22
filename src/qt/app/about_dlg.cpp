#include "qt/app/about_dlg.h"

#include <QPushButton>

#include "qt/app/app_images.h"
#include "views/templates/control_ids.h"
#include "views/templates/window_templates.h"

namespace qnc {

namespace {

// The About box's one picture, bitmap 132.
QPixmap AboutPicture(int bitmap) { return bitmap == id::kAboutPicture ? BuiltInPicture(kAboutPicturePath) : QPixmap(); }

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : TemplateDialog(AboutDialogTemplate(), parent, AboutPicture) {
  setModal(true);
  connect(ControlAs<QPushButton>(id::kOk), &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace qnc
