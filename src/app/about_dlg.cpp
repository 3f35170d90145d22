#include "app/about_dlg.h"

#include <QPushButton>

#include "app/control_ids.h"
#include "app/window_templates.h"

namespace qnc {

namespace {

constexpr Qt::WindowFlags kAboutFlags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                        Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : TemplateDialog(AboutDialogTemplate(), parent, kAboutFlags) {
  setModal(true);
  connect(ControlAs<QPushButton>(id::kOk), &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace qnc
