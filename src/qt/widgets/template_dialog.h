#pragma once
#include <QDialog>
#include <QRect>
#include <QSize>

#include "qt/widgets/control_factory.h"
#include "qt/widgets/control_name.h"
#include "qt/widgets/dialog_units.h"
#include "views/templates/dialog_template.h"

class QMenuBar;

namespace qnc {

// A fixed-size window whose controls come from a template: its caption,
// font, frame, menu bar and controls. Each control is a child of the client
// area, placed at its template rectangle converted from dialog units, and
// carries its id as objectName. As it opens, the window gives the keyboard
// focus to the template's focus control and, when it has no parent window,
// places itself centred in its screen's free area and wholly inside it (a
// window with a parent is centred over the parent by QDialog).
class TemplateDialog : public QDialog {
  Q_OBJECT

 public:
  // The template must outlive the window (templates are static data).
  TemplateDialog(const DialogTemplate& dialogTemplate, QWidget* parent, const PictureSource& pictures = {});

  // The control with this id, or nullptr.
  QWidget* Control(int id) const;
  template <typename T>
  T* ControlAs(int id) const {
    return qobject_cast<T*>(Control(id));
  }
  // Where the template puts a control, in pixels of the client area; for the
  // controls a window creates itself. Empty for an id the template lacks.
  QRect ControlRect(int id) const;
  const DialogUnits& Units() const { return units_; }
  QWidget* ClientArea() const { return client_; }

  void setVisible(bool visible) override;

 private:
  void FixSize();
  void PlaceOnScreen();

  const DialogTemplate& template_;
  DialogUnits units_;
  QSize clientSize_;
  QWidget* client_;
  QMenuBar* menuBar_ = nullptr;
  // A top-level window is placed on its first showing only; after that it
  // stays where the user (or a restore from the tray) put it.
  bool placed_ = false;
};

}  // namespace qnc
