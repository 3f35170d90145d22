// Qt's own dialogs as the program shows them: Chinese texts, and file
// dialogs that open in the user's folders.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "app_test_support.h"
#include "qt/app/config_file_location.h"
#include "qt/app/qt_translations.h"

namespace qnc {
namespace {

TEST(QtDialogs, StandardButtonsAndFileDialogsSpeakChinese) {
  test::App();
  ASSERT_TRUE(InstallChineseQtTranslations()) << "qtbase_zh_CN.qm (qt6-translations-l10n) is missing";
  QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
  const QString fileName = QCoreApplication::translate("QFileDialog", "File &name:");
  EXPECT_NE(fileName, QStringLiteral("File &name:"));
}

TEST(QtDialogs, FileDialogsStartAtHomeThenWhereTheLastFileWasChosen) {
  test::App();
  QWidget owner;
  const QString home = QDir::homePath();
  EXPECT_EQ(MakeConfigFileDialog(owner, QFileDialog::AcceptSave)->directory().absolutePath(),
            QDir(home).absolutePath());

  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString chosen = QDir(folder.path()).filePath(QStringLiteral("列表.txt"));
  test::OnNextModal([&](QWidget& dialog) { test::ChooseFile(dialog, chosen); });
  EXPECT_EQ(ChooseConfigFile(owner, QFileDialog::AcceptSave), chosen);
  for (const auto mode : {QFileDialog::AcceptSave, QFileDialog::AcceptOpen}) {
    EXPECT_EQ(MakeConfigFileDialog(owner, mode)->directory().absolutePath(), QDir(folder.path()).absolutePath());
  }
}

}  // namespace
}  // namespace qnc
