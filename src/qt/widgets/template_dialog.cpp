#include "qt/widgets/template_dialog.h"

#include <QMenuBar>
#include <QScreen>
#include <QWindow>

#include "qt/widgets/control_name.h"
#include "qt/widgets/menu_builder.h"
#include "qt/widgets/window_frame.h"

namespace qnc {

TemplateDialog::TemplateDialog(const DialogTemplate& dialogTemplate, QWidget* parent, const PictureSource& pictures)
    : QDialog(parent, WindowFlagsFor(dialogTemplate.windowStyle)),
      template_(dialogTemplate),
      units_(1, 1),
      client_(new QWidget(this)) {
  setObjectName(ControlName(dialogTemplate.id));
  setWindowTitle(QString::fromUtf8(dialogTemplate.caption));
  setFont(DialogFont(dialogTemplate.font));
  units_ = DialogUnits::ForFont(font());
  clientSize_ = units_.ToPixels(dialogTemplate.widthDu, dialogTemplate.heightDu);
  client_->setObjectName(QStringLiteral("client"));
  for (const ControlTemplate& control : dialogTemplate.controls) CreateControl(control, *client_, units_, pictures);
  if (dialogTemplate.menuBar != nullptr) menuBar_ = BuildMenuBar(*dialogTemplate.menuBar, this);
  FixSize();
}

QWidget* TemplateDialog::Control(int id) const {
  return client_->findChild<QWidget*>(ControlName(id), Qt::FindDirectChildrenOnly);
}

QRect TemplateDialog::ControlRect(int id) const {
  const ControlTemplate* control = FindControl(template_, id);
  return control != nullptr ? units_.ToPixels(control->rect) : QRect();
}

void TemplateDialog::FixSize() {
  const int menuHeight = menuBar_ != nullptr ? menuBar_->sizeHint().height() : 0;
  if (menuBar_ != nullptr) menuBar_->setGeometry(0, 0, clientSize_.width(), menuHeight);
  client_->setGeometry(0, menuHeight, clientSize_.width(), clientSize_.height());
  setFixedSize(clientSize_.width(), clientSize_.height() + menuHeight);
}

void TemplateDialog::setVisible(bool visible) {
  if (visible && !isVisible()) {
    // Set while the window is still hidden, so that it opens with the focus
    // there rather than on the first control in tab order.
    if (QWidget* focus = template_.focusId != 0 ? Control(template_.focusId) : nullptr) {
      focus->setFocus(Qt::OtherFocusReason);
    }
    if (parentWidget() == nullptr && !placed_) {
      PlaceOnScreen();
      placed_ = true;
    }
  }
  QDialog::setVisible(visible);
}

void TemplateDialog::PlaceOnScreen() {
  QScreen* shownOn = screen();
  if (shownOn == nullptr) return;
  // Until the window has been shown, the window system has not told its
  // frame: a usual one stands in, so that the caption bar fits too.
  QMargins frame = windowHandle() != nullptr ? windowHandle()->frameMargins() : QMargins();
  if (frame.isNull()) frame = kTypicalFrame;
  // Placed here, the window counts as moved, and QDialog leaves it there.
  move(PlacedOnScreen(shownOn->availableGeometry(), size().grownBy(frame)));
}

}  // namespace qnc
