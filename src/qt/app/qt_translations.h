#pragma once

namespace qnc {

// Makes Qt's own texts (file dialogs, standard buttons, the overwrite
// question) Chinese like the rest of the program, whatever the desktop's
// language. Needs a QCoreApplication. False when the translation files are
// not installed (Debian's qt6-translations-l10n); Qt then stays English.
bool InstallChineseQtTranslations();

}  // namespace qnc
