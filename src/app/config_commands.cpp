// The main window's configuration file commands: the save to the fixed file,
// export and import.
#include <QDir>
#include <QFileInfo>
#include <QtGlobal>

#include "app/config_file_location.h"
#include "app/main_window.h"

namespace qnc {

bool CQUORIX_NET_CHECKDlg::SaveConfigFile() {
  const QString folder = QFileInfo(QFile::decodeName(configFilePath_.c_str())).absolutePath();
  QDir().mkpath(folder);
  const bool saved = SaveTablesForReload(configFilePath_, session_.Targets());
  if (!saved) qWarning("cannot save the host lists to %s", configFilePath_.c_str());
  return saved;
}

void CQUORIX_NET_CHECKDlg::OnExportConfig() {
  const QString path = options_.modals.chooseExportPath(*this);
  if (path.isEmpty()) return;
  if (SaveTablesForReload(LocalFilePath(path), session_.Targets())) return;
  options_.modals.reportExportFailure(
      *this, QStringLiteral("无法写入文件，配置没有导出：\n%1").arg(QDir::toNativeSeparators(path)));
}

void CQUORIX_NET_CHECKDlg::OnImportConfig() {
  const QString path = options_.modals.chooseImportPath(*this);
  if (!path.isEmpty()) session_.ApplyConfig(ReadConfig(LocalFilePath(path)));
  // In every case, cancelled and refused files included.
  session_.RestartAllCounters();
}

}  // namespace qnc
