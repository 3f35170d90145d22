#include "qt/app/config_file_location.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "core/config/config_file.h"

namespace qnc {

namespace {

// The folder of the file last chosen in either dialog during this run.
QString& LastChosenFolder() {
  static QString folder;
  return folder;
}

}  // namespace

QString ConfigDialogStartFolder() { return LastChosenFolder().isEmpty() ? QDir::homePath() : LastChosenFolder(); }

std::string FixedConfigFilePath() {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  return LocalFilePath(QDir(folder).filePath(QString::fromUtf8(kConfigFileName)));
}

std::string LocalFilePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

std::unique_ptr<QFileDialog> MakeConfigFileDialog(QWidget& owner, QFileDialog::AcceptMode mode) {
  auto dialog = std::make_unique<QFileDialog>(&owner);
  dialog->setAcceptMode(mode);
  dialog->setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog->setDefaultSuffix(QStringLiteral("txt"));
  // Not the process's working folder, which for a desktop launch is wherever
  // the launcher happened to be.
  dialog->setDirectory(ConfigDialogStartFolder());
  dialog->selectFile(QString::fromUtf8(kExportDefaultName));
  // A save dialog asks before it overwrites unless told not to; nothing here
  // tells it so.
  return dialog;
}

QString ChooseConfigFile(QWidget& owner, QFileDialog::AcceptMode mode) {
  const std::unique_ptr<QFileDialog> dialog = MakeConfigFileDialog(owner, mode);
  if (dialog->exec() != QDialog::Accepted) return {};
  const QStringList chosen = dialog->selectedFiles();
  if (chosen.isEmpty()) return {};
  LastChosenFolder() = QFileInfo(chosen.front()).absolutePath();
  return chosen.front();
}

}  // namespace qnc
