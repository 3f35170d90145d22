#pragma once
#include <QDialog>
#include <QString>

#include "app/dialog_template.h"
#include "app/dialog_units.h"

class QMenuBar;

namespace qnc {

// A fixed-size dialog whose controls come from a template. Each control is a
// child of the client area, placed at its template rectangle converted from
// dialog units, and carries its id as objectName.
class TemplateDialog : public QDialog {
  Q_OBJECT

 public:
  TemplateDialog(const DialogTemplate& dialogTemplate, QWidget* parent, Qt::WindowFlags flags);

  // The control with this id, or nullptr.
  QWidget* Control(int id) const;
  template <typename T>
  T* ControlAs(int id) const {
    return qobject_cast<T*>(Control(id));
  }
  const DialogUnits& Units() const { return units_; }
  QWidget* ClientArea() const { return client_; }

 protected:
  // Puts a menu bar above the client area; the window grows by its height.
  void AttachMenuBar(QMenuBar* menuBar);

 private:
  void CreateControl(const ControlTemplate& control);
  void FixSize();

  DialogUnits units_;
  QSize clientSize_;
  QWidget* client_;
  QMenuBar* menuBar_ = nullptr;
};

// The objectName under which a control with this id is found.
QString ControlName(int id);

}  // namespace qnc
