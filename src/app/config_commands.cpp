// The main window's configuration file commands: the start-up load, the save
// to the fixed file, export and import.
#include <QDir>
#include <QFileInfo>
#include <QtGlobal>
#include <array>

#include "app/config_file_location.h"
#include "app/main_window.h"

namespace qnc {

ConfigTables CQUORIX_NET_CHECKDlg::ShownTables() const {
  const auto targets = [](const TableStore& table) {
    std::vector<std::string> texts;
    for (auto& row : table.Snapshot()) texts.push_back(std::move(row[cell::kTarget]));
    return texts;
  };
  return {targets(dnsTable_), targets(pingTable_), targets(gameTable_)};
}

void CQUORIX_NET_CHECKDlg::ApplyConfig(const LoadedConfig& loaded) {
  if (!loaded.accepted) return;  // refused or unreadable: no table changes
  const std::array<std::pair<TableKind, const std::optional<std::vector<std::string>>*>, 3> sections{
      {{TableKind::kDns, &loaded.dns}, {TableKind::kPing, &loaded.ping}, {TableKind::kGame, &loaded.game}}};
  for (const auto& [kind, rows] : sections) {
    if (!rows->has_value()) continue;  // the file ended before this table's section
    // New rows: the target alone, with empty result cells and descriptions
    // and counters of their own.
    ProbeTableModel& model = Model(kind);
    model.RemoveAllRows();
    for (const std::string& target : **rows) model.AppendRow(target);
  }
}

bool CQUORIX_NET_CHECKDlg::SaveConfigFile() {
  const QString folder = QFileInfo(QFile::decodeName(configFilePath_.c_str())).absolutePath();
  QDir().mkpath(folder);
  const bool saved = SaveTablesForReload(configFilePath_, ShownTables());
  if (!saved) qWarning("cannot save the host lists to %s", configFilePath_.c_str());
  return saved;
}

void CQUORIX_NET_CHECKDlg::OnExportConfig() {
  const QString path = options_.modals.chooseExportPath(*this);
  if (path.isEmpty()) return;
  if (SaveTablesForReload(LocalFilePath(path), ShownTables())) return;
  options_.modals.reportExportFailure(
      *this, QStringLiteral("无法写入文件，配置没有导出：\n%1").arg(QDir::toNativeSeparators(path)));
}

void CQUORIX_NET_CHECKDlg::OnImportConfig() {
  const QString path = options_.modals.chooseImportPath(*this);
  if (!path.isEmpty()) ApplyConfig(ReadConfig(LocalFilePath(path)));
  // In every case, cancelled and refused files included: the DNS and ping
  // workers restart their counters on their next pass; the game table's rows
  // were replaced, so its counters start again now.
  resetRequest_.Raise();
  ResetCounters(gameTable_);
}

}  // namespace qnc
