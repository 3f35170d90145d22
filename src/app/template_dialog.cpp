#include "app/template_dialog.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>

#include "app/app_images.h"

namespace qnc {

QString ControlName(int id) { return QString::number(id); }

TemplateDialog::TemplateDialog(const DialogTemplate& dialogTemplate, QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags), units_(1, 1), client_(new QWidget(this)) {
  setObjectName(ControlName(dialogTemplate.id));
  setWindowTitle(QString::fromUtf8(dialogTemplate.caption));
  setFont(DialogFont(dialogTemplate.fontPointSize));
  units_ = DialogUnits::ForFont(font());
  clientSize_ = units_.ToPixels(dialogTemplate.widthDu, dialogTemplate.heightDu);
  client_->setObjectName(QStringLiteral("client"));
  for (const ControlTemplate& control : dialogTemplate.controls) CreateControl(control);
  FixSize();
}

QWidget* TemplateDialog::Control(int id) const {
  return client_->findChild<QWidget*>(ControlName(id), Qt::FindDirectChildrenOnly);
}

void TemplateDialog::AttachMenuBar(QMenuBar* menuBar) {
  menuBar_ = menuBar;
  menuBar_->setParent(this);
  FixSize();
}

void TemplateDialog::FixSize() {
  const int menuHeight = menuBar_ != nullptr ? menuBar_->sizeHint().height() : 0;
  if (menuBar_ != nullptr) menuBar_->setGeometry(0, 0, clientSize_.width(), menuHeight);
  client_->setGeometry(0, menuHeight, clientSize_.width(), clientSize_.height());
  setFixedSize(clientSize_.width(), clientSize_.height() + menuHeight);
}

void TemplateDialog::CreateControl(const ControlTemplate& control) {
  const QString text = QString::fromUtf8(control.text);
  QWidget* widget = nullptr;
  switch (control.kind) {
    case ControlKind::kGroupBox:
      widget = new QGroupBox(text, client_);
      break;
    case ControlKind::kLabel:
    case ControlKind::kCentredLabel: {
      auto* label = new QLabel(text, client_);
      const Qt::Alignment horizontal = control.kind == ControlKind::kLabel ? Qt::AlignLeft : Qt::AlignHCenter;
      label->setAlignment(horizontal | Qt::AlignTop);
      label->setWordWrap(true);
      widget = label;
      break;
    }
    case ControlKind::kEdit: {
      auto* edit = new QLineEdit(text, client_);
      edit->setMaxLength(32767);
      widget = edit;
      break;
    }
    case ControlKind::kPushButton:
    case ControlKind::kDefaultButton: {
      auto* button = new QPushButton(text, client_);
      const bool isDefault = control.kind == ControlKind::kDefaultButton;
      // Only the default button answers Enter; no other button becomes the
      // default by taking the focus.
      button->setAutoDefault(isDefault);
      button->setDefault(isDefault);
      widget = button;
      break;
    }
    case ControlKind::kListView:
      widget = new QTableView(client_);
      break;
    case ControlKind::kEtchedLine: {
      auto* line = new QFrame(client_);
      line->setFrameShape(QFrame::VLine);
      line->setFrameShadow(QFrame::Sunken);
      widget = line;
      break;
    }
    case ControlKind::kPicture: {
      auto* picture = new QLabel(client_);
      picture->setPixmap(BuiltInPicture(control.text));
      widget = picture;
      break;
    }
  }
  if (control.id != 0) widget->setObjectName(ControlName(control.id));
  QRect place = units_.ToPixels(control.rect);
  if (control.kind == ControlKind::kPicture) {
    place.setSize(qobject_cast<QLabel*>(widget)->pixmap().deviceIndependentSize().toSize());
  }
  widget->setGeometry(place);
  if (control.hidden) widget->setVisible(false);
}

}  // namespace qnc
