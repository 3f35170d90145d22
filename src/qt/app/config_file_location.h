#pragma once
#include <QFileDialog>
#include <QString>
#include <memory>
#include <string>

namespace qnc {

// The fixed configuration file: "Quorix测试工具.txt" in the user's
// configuration folder (for instance ~/.config). The folder may not exist yet.
std::string FixedConfigFilePath();

// A path as the file functions of the configuration take it (the file
// system's own encoding of the name).
std::string LocalFilePath(const QString& path);

// Where the configuration dialogs open: the folder of the file last chosen in
// either of them during this run, before that the user's home folder.
QString ConfigDialogStartFolder();

// The save (export) or open (import) dialog of the configuration commands:
// default suffix "txt", the offered name "Quorix测试工具配置.txt", no list of
// file types, the given window as owner; the save dialog asks before it
// overwrites a file, the open dialog accepts existing files only.
std::unique_ptr<QFileDialog> MakeConfigFileDialog(QWidget& owner, QFileDialog::AcceptMode mode);

// Runs that dialog: the chosen path, or an empty text when cancelled. A
// chosen file's folder becomes the next dialog's start folder.
QString ChooseConfigFile(QWidget& owner, QFileDialog::AcceptMode mode);

}  // namespace qnc
