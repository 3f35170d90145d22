#include "qt/widgets/control_factory.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTextBrowser>

#include "qt/widgets/control_name.h"

namespace qnc {

namespace {

bool Has(const ControlTemplate& control, unsigned style) { return (control.styles & style) != 0; }

QWidget* CreateLabel(const ControlTemplate& control, const QString& text, QWidget& parent) {
  auto* label = new QLabel(text, &parent);
  Qt::Alignment horizontal = Qt::AlignLeft;
  if (Has(control, style::kCentred)) horizontal = Qt::AlignHCenter;
  if (Has(control, style::kRightAligned)) horizontal = Qt::AlignRight;
  label->setAlignment(horizontal | Qt::AlignTop);
  label->setWordWrap(true);
  if (Has(control, style::kBold)) {
    QFont bold = parent.font();
    bold.setBold(true);
    label->setFont(bold);
  }
  if (Has(control, style::kSelectable)) label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

QWidget* CreateEdit(const ControlTemplate& control, const QString& text, QWidget& parent) {
  if (!Has(control, style::kMultiLine)) {
    auto* edit = new QLineEdit(text, &parent);
    edit->setMaxLength(32767);
    edit->setReadOnly(Has(control, style::kReadOnly));
    return edit;
  }
  auto* edit = new QPlainTextEdit(text, &parent);
  edit->setReadOnly(Has(control, style::kReadOnly));
  if (Has(control, style::kHorizontalScrollBar)) {
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  }
  return edit;
}

QWidget* CreatePushButton(const ControlTemplate& control, const QString& text, QWidget& parent) {
  auto* button = new QPushButton(text, &parent);
  const bool isDefault = Has(control, style::kDefaultButton);
  // Only the default button answers Enter; no other button becomes the
  // default by taking the focus.
  button->setAutoDefault(isDefault);
  button->setDefault(isDefault);
  return button;
}

QWidget* CreateEtchedLine(QWidget& parent) {
  auto* line = new QFrame(&parent);
  line->setFrameShape(QFrame::VLine);
  line->setFrameShadow(QFrame::Sunken);
  return line;
}

QWidget* CreatePicture(const ControlTemplate& control, QWidget& parent, const PictureSource& pictures) {
  auto* picture = new QLabel(&parent);
  if (pictures) picture->setPixmap(pictures(control.bitmap));
  return picture;
}

}  // namespace

QWidget* CreateControl(const ControlTemplate& control, QWidget& parent, const DialogUnits& units,
                       const PictureSource& pictures) {
  const QString text = QString::fromUtf8(control.text);
  QRect place = units.ToPixels(control.rect);
  QWidget* widget = nullptr;
  switch (control.kind) {
    case ControlKind::kGroupBox:
      widget = new QGroupBox(text, &parent);
      break;
    case ControlKind::kLabel:
      widget = CreateLabel(control, text, parent);
      break;
    case ControlKind::kEdit:
      widget = CreateEdit(control, text, parent);
      break;
    case ControlKind::kPushButton:
      widget = CreatePushButton(control, text, parent);
      break;
    case ControlKind::kDropDownList: {
      auto* list = new QComboBox(&parent);
      list->setEditable(false);
      place.setHeight(units.Y(kClosedListHeightDu));
      widget = list;
      break;
    }
    case ControlKind::kListView:
      widget = new QTableView(&parent);
      break;
    case ControlKind::kEtchedLine:
      widget = CreateEtchedLine(parent);
      break;
    case ControlKind::kPicture:
      widget = CreatePicture(control, parent, pictures);
      place.setSize(static_cast<QLabel*>(widget)->pixmap().deviceIndependentSize().toSize());
      break;
    case ControlKind::kRichText: {
      auto* browser = new QTextBrowser(&parent);
      browser->setOpenLinks(false);
      widget = browser;
      break;
    }
    case ControlKind::kWebBrowser:
    case ControlKind::kPaintArea:
      return nullptr;
  }
  if (control.id != 0) widget->setObjectName(ControlName(control.id));
  widget->setGeometry(place);
  if (Has(control, style::kHidden)) widget->setVisible(false);
  return widget;
}

}  // namespace qnc
