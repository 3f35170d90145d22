// The configuration file commands as the main window wires them: the
// start-up load, and export and import through the real file dialogs. What
// the commands do with the tables is tested below the window, in
// tests/views/commands; the tray's save with the tray.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <map>

#include "app_test_support.h"
#include "core/config/config_file.h"
#include "qt/app/config_file_location.h"
#include "qt/app/main_window.h"
#include "views/templates/control_ids.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;
using test::Find;
using Rows = std::vector<std::vector<std::string>>;
using Targets = std::vector<std::string>;

void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  ASSERT_EQ(file.write(bytes), bytes.size());
}

constexpr TableKind kAllTables[] = {TableKind::kDns, TableKind::kPing, TableKind::kGame};

class ConfigCommands : public ::testing::Test {
 protected:
  void SetUp() override { test::App(); }

  // A window without workers, on rows of its own.
  MainWindowOptions Options() {
    MainWindowOptions options = test::StillOptions(folder_, "");
    options.defaultRows = false;
    options.dnsRows = {"a.test", "b.test", "c.test"};
    options.pingRows = {"127.0.0.1", "测试.example"};
    options.gameRows = {"g1.test:443", "g2.test"};
    return options;
  }

  void Open(MainWindowOptions options) {
    window_ = std::make_unique<CQUORIX_NET_CHECKDlg>(std::move(options));
    window_->show();
  }

  // Results, descriptions and counters as the workers would have left them.
  void Measure() {
    for (const TableKind kind : kAllTables) {
      ProbeTableModel& model = window_->Model(kind);
      for (int row = 0; row < model.rowCount(); ++row) {
        model.SetCell(row, cell::kLatency, std::to_string(10 + row));
        const RowRef ref = window_->Table(kind).RowAt(row);
        ref.counters->lost = static_cast<std::uint32_t>(row + 1);
        ref.counters->answered = static_cast<std::uint32_t>(row + 7);
        ref.counters->latencySum = static_cast<std::uint32_t>(100 * row + 3);
      }
    }
    window_->Model(TableKind::kGame).SetCell(0, cell::kGameDescription, "艾欧尼亚");
  }

  Targets TargetsOf(TableKind kind) {
    Targets targets;
    for (const auto& row : window_->Table(kind).Snapshot()) targets.push_back(row[cell::kTarget]);
    return targets;
  }

  void Click(int id) { QTest::mouseClick(Find<QPushButton>(*window_, id), Qt::LeftButton); }

  // Clicks the button and picks `path` in the file dialog it opens over the
  // window. A warning box that follows is noted in `reports_` and closed.
  void ClickAndChoose(int button, const QString& path) {
    test::OnNextModal([this, path](QWidget& modal) {
      EXPECT_EQ(modal.parentWidget(), window_.get());
      test::ChooseFile(modal, path);
      ExpectWarningIfAny();
    });
    Click(button);
  }

  void ExpectWarningIfAny() {
    auto* poll = new QTimer(window_.get());
    QObject::connect(poll, &QTimer::timeout, poll, [this, poll] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        EXPECT_EQ(box->parentWidget(), window_.get());
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Quorix路由测试工具"));
        reports_.push_back(box->text());
        box->close();
      }
    });
    poll->start(10);
  }

  QString PathIn(const char* name) const { return folder_.filePath(QString::fromUtf8(name)); }

  QTemporaryDir folder_;
  QString chosen_;
  std::vector<QString> reports_;
  std::unique_ptr<CQUORIX_NET_CHECKDlg> window_;
};

TEST_F(ConfigCommands, AnExportLoadedAtTheNextStartShowsTheSameOrder) {
  Open(Options());
  window_->Model(TableKind::kDns).AppendRow("d.test");
  chosen_ = PathIn("导出.txt");
  ClickAndChoose(id::kExportButton, chosen_);
  EXPECT_TRUE(reports_.empty());
  std::map<TableKind, Targets> shown;
  for (const TableKind kind : kAllTables) shown[kind] = TargetsOf(kind);
  window_.reset();

  // A fresh window with its default rows loads the export as its fixed file.
  MainWindowOptions options = Options();
  options.defaultRows = true;
  options.configFilePath = test::LocalPath(chosen_);
  Open(options);
  for (const TableKind kind : kAllTables) {
    EXPECT_EQ(TargetsOf(kind), shown[kind]) << static_cast<int>(kind);
    EXPECT_EQ(window_->View(kind).model()->rowCount(), static_cast<int>(shown[kind].size())) << "the view heard of it";
  }
  EXPECT_EQ(window_->Table(TableKind::kGame).CellAt(0, cell::kGameDescription), "") << "descriptions stay behind";
}

TEST_F(ConfigCommands, AFailedExportSaysSoInAWarningOverTheWindow) {
  Open(Options());
  // Replacing a file means writing a new file beside it; a name 14 bytes
  // short of the limit leaves no room for that one's name, whoever runs this.
  const QString path = PathIn((QString(241, QLatin1Char('x')) + QStringLiteral(".txt")).toUtf8().constData());
  ClickAndChoose(id::kExportButton, path);
  ASSERT_TRUE(test::WaitUntil([this] { return !reports_.empty(); }, 5s)) << "no warning box";
  EXPECT_EQ(reports_[0], QStringLiteral("无法写入文件，配置没有导出：\n") + path);
  EXPECT_FALSE(QFile::exists(path));
}

TEST_F(ConfigCommands, ImportReplacesTheTablesAndRestartsTheCounters) {
  const QString path = PathIn("import.txt");
  WriteBytes(path, "#headv1===\r\nx.test\r\ny.test\r\n#PING===\r\np\r\n#GAME===\r\nh:1\r\n");
  Open(Options());
  Measure();
  ClickAndChoose(id::kImportButton, path);
  EXPECT_EQ(TargetsOf(TableKind::kDns), (Targets{"y.test", "x.test"}));
  EXPECT_EQ(TargetsOf(TableKind::kPing), (Targets{"p"}));
  EXPECT_EQ(window_->Table(TableKind::kGame).Snapshot(), (Rows{{"h:1", "", "", "", "", ""}}));
  EXPECT_EQ(window_->View(TableKind::kGame).model()->rowCount(), 1);
  EXPECT_TRUE(window_->Reset().ConsumeDns());
  EXPECT_TRUE(window_->Reset().ConsumePing());
}

TEST_F(ConfigCommands, FileDialogsOfferTheExportNameAndTxt) {
  Open(Options());
  for (const auto mode : {QFileDialog::AcceptSave, QFileDialog::AcceptOpen}) {
    SCOPED_TRACE(mode);
    const auto dialog = MakeConfigFileDialog(*window_, mode);
    EXPECT_EQ(dialog->parentWidget(), window_.get());
    EXPECT_EQ(dialog->acceptMode(), mode);
    EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("txt"));
    ASSERT_EQ(dialog->selectedFiles().size(), 1);
    EXPECT_EQ(QFileInfo(dialog->selectedFiles().front()).fileName(), QStringLiteral("Quorix测试工具配置.txt"));
    EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite)) << "the save dialog asks first";
    EXPECT_EQ(dialog->nameFilters(), QFileDialog(nullptr).nameFilters()) << "no list of file types";
    EXPECT_EQ(dialog->fileMode(), mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  }
}

TEST_F(ConfigCommands, TheFixedFileLivesInTheUsersConfigurationFolder) {
  const QString expected = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                               .filePath(QStringLiteral("Quorix测试工具.txt"));
  EXPECT_EQ(QFile::decodeName(FixedConfigFilePath().c_str()), expected);
  MainWindowOptions options = Options();
  options.configFilePath.clear();
  CQUORIX_NET_CHECKDlg window(options);
  EXPECT_EQ(window.ConfigFilePath(), FixedConfigFilePath());
}

}  // namespace
}  // namespace qnc
