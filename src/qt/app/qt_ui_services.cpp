#include "qt/app/qt_ui_services.h"

#include <QFile>
#include <QMessageBox>
#include <memory>

#include "qt/app/config_file_location.h"
#include "qt/app/input_boxes.h"
#include "views/templates/control_ids.h"

namespace qnc {

namespace {

std::optional<std::string> ChosenPath(QWidget& owner, QFileDialog::AcceptMode mode) {
  const QString path = ChooseConfigFile(owner, mode);
  if (path.isEmpty()) return std::nullopt;
  return LocalFilePath(path);
}

}  // namespace

QtUiServices::QtUiServices(QWidget& owner, std::function<int(TableKind)> selectedRow, LanDialogEnvironment lanTest)
    : owner_(owner), selectedRow_(std::move(selectedRow)), lanTest_(std::move(lanTest)) {}

std::optional<NewRow> QtUiServices::AskNewRow(TableKind table) {
  switch (table) {
    case TableKind::kDns: {
      CAddDomainDlg box(&owner_);
      if (box.exec() != QDialog::Accepted) return std::nullopt;
      return NewRow{box.m_domain, {}};
    }
    case TableKind::kPing: {
      CAddPingDlg box(&owner_);
      if (box.exec() != QDialog::Accepted) return std::nullopt;
      return NewRow{box.m_host, {}};
    }
    case TableKind::kGame:
      break;
  }
  CGameDlg box(&owner_);
  if (box.exec() != QDialog::Accepted) return std::nullopt;
  return NewRow{box.m_server, box.m_description};
}

std::optional<std::string> QtUiServices::ChooseFileToSave() { return ChosenPath(owner_, QFileDialog::AcceptSave); }

std::optional<std::string> QtUiServices::ChooseFileToOpen() { return ChosenPath(owner_, QFileDialog::AcceptOpen); }

void QtUiServices::ShowWarning(const std::string& text) {
  QMessageBox::warning(&owner_, QString::fromUtf8(kMainWindowTitle), QString::fromStdString(text));
}

void QtUiServices::RunLanTest(std::string_view preset) {
  // A new window for each opening, gone (with every test thread) once it closes.
  const auto window = std::make_unique<CLanSpeedDlg>(&owner_, lanTest_);
  window->m_preset = std::string(preset);
  window->exec();
}

}  // namespace qnc
