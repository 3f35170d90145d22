#include "app/modal_runners.h"

#include <QCursor>
#include <QMenu>
#include <QMessageBox>

#include "app/config_file_location.h"
#include "ui/control_ids.h"
#include "web/show_bubg_dlg.h"

namespace qnc {

ModalRunners CompleteModalRunners(ModalRunners given) {
  if (!given.chooseExportPath) {
    given.chooseExportPath = [](QWidget& owner) { return ChooseConfigFile(owner, QFileDialog::AcceptSave); };
  }
  if (!given.chooseImportPath) {
    given.chooseImportPath = [](QWidget& owner) { return ChooseConfigFile(owner, QFileDialog::AcceptOpen); };
  }
  if (!given.reportExportFailure) {
    given.reportExportFailure = [](QWidget& owner, const QString& message) {
      QMessageBox::warning(&owner, QString::fromUtf8(kMainWindowTitle), message);
    };
  }
  if (!given.runTrayMenu) {
    given.runTrayMenu = [](QMenu& menu) { return menu.exec(QCursor::pos()); };
  }
  if (!given.runWebPage) {
    given.runWebPage = [](CShowBubgDlg& window) { window.exec(); };
  }
  if (!given.runLanTest) {
    given.runLanTest = [](CLanSpeedDlg& window) { window.exec(); };
  }
  return given;
}

}  // namespace qnc
