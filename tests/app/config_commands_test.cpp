// The host lists in the configuration file: the start-up load, export,
// import and the tray's save, driven through the main window.
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include <map>

#include "app/config_file_location.h"
#include "app/main_window.h"
#include "app_test_support.h"
#include "config/config_file.h"
#include "ui/control_ids.h"

namespace qnc {
namespace {

using test::Find;
using Rows = std::vector<std::vector<std::string>>;
using Targets = std::vector<std::string>;

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  ASSERT_EQ(file.write(bytes), bytes.size());
}

struct Counts {
  std::uint32_t lost, answered, latencySum;
  bool operator==(const Counts&) const = default;
};

std::vector<Counts> CountersOf(TableStore& table) {
  std::vector<Counts> counts;
  for (int row = 0; row < table.RowCount(); ++row) {
    const RowRef ref = table.RowAt(row);
    counts.push_back({ref.counters->lost.load(), ref.counters->answered.load(), ref.counters->latencySum.load()});
  }
  return counts;
}

constexpr TableKind kAllTables[] = {TableKind::kDns, TableKind::kPing, TableKind::kGame};

class ConfigCommands : public ::testing::Test {
 protected:
  void SetUp() override { test::App(); }

  // A window without workers, on rows of its own; the export and import
  // dialogs answer with `chosen_`, and a failed export is noted in `reports_`.
  MainWindowOptions Options() {
    MainWindowOptions options = test::StillOptions(folder_, "");
    options.defaultRows = false;
    options.dnsRows = {"a.test", "b.test", "c.test"};
    options.pingRows = {"127.0.0.1", "测试.example"};
    options.gameRows = {"g1.test:443", "g2.test"};
    options.modals.chooseExportPath = [this](QWidget& owner) {
      EXPECT_EQ(&owner, window_.get());
      return chosen_;
    };
    options.modals.chooseImportPath = options.modals.chooseExportPath;
    options.modals.reportExportFailure = [this](QWidget& owner, const QString& message) {
      EXPECT_EQ(&owner, window_.get());
      reports_.push_back(message);
    };
    options.modals.runTrayMenu = [](QMenu&) { return nullptr; };
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
  Click(id::kExportButton);
  EXPECT_TRUE(reports_.empty());
  std::map<TableKind, Targets> shown;
  for (const TableKind kind : kAllTables) shown[kind] = TargetsOf(kind);
  window_.reset();

  // A fresh window with its default rows loads the export as its fixed file.
  MainWindowOptions options = Options();
  options.defaultRows = true;
  options.configFilePath = test::LocalPath(chosen_);
  Open(options);
  for (const TableKind kind : kAllTables) EXPECT_EQ(TargetsOf(kind), shown[kind]) << static_cast<int>(kind);
  EXPECT_EQ(window_->Table(TableKind::kGame).CellAt(0, cell::kGameDescription), "") << "descriptions stay behind";
}

TEST_F(ConfigCommands, StartUpLoadReplacesOnlyTheTablesTheFileReaches) {
  struct Case {
    const char* name;
    QByteArray file;  // empty: no file at all
    Targets dns, ping, game;
  };
  const Targets defaultDns{"a.test", "b.test", "c.test"};
  const Targets defaultPing{"127.0.0.1", "测试.example"};
  const Targets defaultGame{"g1.test:443", "g2.test"};
  const std::vector<Case> cases{
      {"no file", {}, defaultDns, defaultPing, defaultGame},
      {"header on the second line", "x\r\n#headv1===\r\nd\r\n", defaultDns, defaultPing, defaultGame},
      {"ends in the DNS section", "#headv1===\r\nd1\r\nd2\r\n", {"d2", "d1"}, defaultPing, defaultGame},
      {"ends in the ping section", "#headv1===\nd\n#PING===\np\n", {"d"}, {"p"}, defaultGame},
      {"whole file", "#headv1===\r\nd\r\n#PING===\r\n#GAME===\r\nh:1\r\nh:2\r\n", {"d"}, {}, {"h:2", "h:1"}},
  };
  for (const Case& start : cases) {
    SCOPED_TRACE(start.name);
    const QString path = PathIn("Quorix测试工具.txt");
    QFile::remove(path);
    if (!start.file.isEmpty()) WriteBytes(path, start.file);
    MainWindowOptions options = Options();
    options.configFilePath = test::LocalPath(path);
    Open(options);
    EXPECT_EQ(TargetsOf(TableKind::kDns), start.dns);
    EXPECT_EQ(TargetsOf(TableKind::kPing), start.ping);
    EXPECT_EQ(TargetsOf(TableKind::kGame), start.game);
    EXPECT_EQ(window_->View(TableKind::kGame).model()->rowCount(), static_cast<int>(start.game.size()));
  }
}

TEST_F(ConfigCommands, ExportAndTraySaveLeaveCellsDescriptionsAndCountersAlone) {
  struct Case {
    const char* name;
    std::function<void()> save;
    std::function<QString()> written;
  };
  const std::vector<Case> cases{
      {"export",
       [this] {
         chosen_ = PathIn("export.txt");
         Click(id::kExportButton);
       },
       [this] { return chosen_; }},
      {"tray save", [this] { window_->OnTrayNotify(QSystemTrayIcon::Context); },
       [this] { return QFile::decodeName(window_->ConfigFilePath().c_str()); }},
  };
  for (const Case& save : cases) {
    SCOPED_TRACE(save.name);
    Open(Options());
    Measure();
    std::map<TableKind, Rows> cells;
    std::map<TableKind, std::vector<Counts>> counters;
    for (const TableKind kind : kAllTables) {
      cells[kind] = window_->Table(kind).Snapshot();
      counters[kind] = CountersOf(window_->Table(kind));
    }
    save.save();
    for (const TableKind kind : kAllTables) {
      EXPECT_EQ(window_->Table(kind).Snapshot(), cells[kind]) << static_cast<int>(kind);
      EXPECT_EQ(CountersOf(window_->Table(kind)), counters[kind]) << static_cast<int>(kind);
    }
    // Written bottom row first, so that a load shows the order on screen now.
    const LoadedConfig loaded = ReadConfig(test::LocalPath(save.written()));
    ASSERT_TRUE(loaded.accepted);
    EXPECT_EQ(loaded.tables[TableKind::kDns], (Targets{"a.test", "b.test", "c.test"}));
    EXPECT_EQ(loaded.tables[TableKind::kPing], (Targets{"127.0.0.1", "测试.example"}));
    EXPECT_EQ(loaded.tables[TableKind::kGame], (Targets{"g1.test:443", "g2.test"}));
    window_.reset();
  }
}

TEST_F(ConfigCommands, TheTraySaveCreatesTheConfigurationFolder) {
  MainWindowOptions options = Options();
  const QString path = PathIn("new/folder/Quorix测试工具.txt");
  options.configFilePath = test::LocalPath(path);
  Open(options);
  window_->OnTrayNotify(QSystemTrayIcon::Context);
  const LoadedConfig loaded = ReadConfig(test::LocalPath(path));
  EXPECT_TRUE(loaded.accepted);
  EXPECT_EQ(loaded.tables[TableKind::kGame], (Targets{"g1.test:443", "g2.test"}));
}

TEST_F(ConfigCommands, AFailedExportKeepsTheOldFileAndSaysSo) {
  // Replacing a file means writing a new file beside it; a name 14 bytes
  // short of the limit leaves no room for that one's name, whoever runs this.
  const QString longName = QString(241, QLatin1Char('x')) + QStringLiteral(".txt");
  struct Case {
    const char* name;
    QString path;
    bool oldFile;
  };
  const std::vector<Case> cases{
      {"file that cannot be replaced", PathIn(longName.toUtf8().constData()), true},
      {"missing folder", PathIn("no-such-folder/out.txt"), false},
  };
  for (const Case& failure : cases) {
    SCOPED_TRACE(failure.name);
    reports_.clear();
    const QByteArray old = "#headv1===\r\nold.test\r\n#PING===\r\n#GAME===\r\n";
    if (failure.oldFile) WriteBytes(failure.path, old);
    Open(Options());
    Measure();
    const Rows before = window_->Table(TableKind::kGame).Snapshot();
    chosen_ = failure.path;
    Click(id::kExportButton);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_TRUE(reports_[0].contains(QDir::toNativeSeparators(failure.path)));
    EXPECT_TRUE(reports_[0].contains(QStringLiteral("没有导出")));
    EXPECT_EQ(QFile::exists(failure.path), failure.oldFile);
    if (failure.oldFile) {
      EXPECT_EQ(FileBytes(failure.path), old);
    }
    EXPECT_EQ(window_->Table(TableKind::kGame).Snapshot(), before);
    EXPECT_EQ(QDir(folder_.path()).entryList(QStringList{QStringLiteral(".*.tmp")}, QDir::Hidden | QDir::Files),
              QStringList());
    window_.reset();
  }
}

TEST_F(ConfigCommands, ACancelledExportWritesNothingAndSaysNothing) {
  Open(Options());
  chosen_.clear();
  Click(id::kExportButton);
  EXPECT_TRUE(reports_.empty());
  EXPECT_EQ(QDir(folder_.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{QStringLiteral("route")});
}

TEST_F(ConfigCommands, ImportReplacesTheTablesAndAlwaysRestartsTheCounters) {
  struct Case {
    const char* name;
    QByteArray file;  // written to the chosen path unless empty
    bool choose;      // false: the user cancels the dialog
    bool replaced;
  };
  const std::vector<Case> cases{
      {"a file of the program", "#headv1===\r\nx.test\r\ny.test\r\n#PING===\r\np\r\n#GAME===\r\nh:1\r\n", true,
       true},
      {"cancelled", {}, false, false},
      {"a file without the header", "x.test\r\n#PING===\r\n", true, false},
      {"a file that does not exist", {}, true, false},
  };
  for (const Case& import : cases) {
    SCOPED_TRACE(import.name);
    const QString path = PathIn("import.txt");
    QFile::remove(path);
    if (!import.file.isEmpty()) WriteBytes(path, import.file);
    chosen_ = import.choose ? path : QString();
    Open(Options());
    Measure();
    std::map<TableKind, Rows> before;
    for (const TableKind kind : kAllTables) before[kind] = window_->Table(kind).Snapshot();

    Click(id::kImportButton);
    if (import.replaced) {
      EXPECT_EQ(TargetsOf(TableKind::kDns), (Targets{"y.test", "x.test"}));
      EXPECT_EQ(TargetsOf(TableKind::kPing), (Targets{"p"}));
      EXPECT_EQ(window_->Table(TableKind::kGame).Snapshot(), (Rows{{"h:1", "", "", "", "", ""}}));
    } else {
      for (const TableKind kind : kAllTables) {
        EXPECT_EQ(window_->Table(kind).Snapshot(), before[kind]) << static_cast<int>(kind);
      }
    }
    // The DNS and ping workers restart their counters at their next pass;
    // the game table's start again at once.
    EXPECT_TRUE(window_->Reset().ConsumeDns());
    EXPECT_TRUE(window_->Reset().ConsumePing());
    for (const Counts& counts : CountersOf(window_->Table(TableKind::kGame))) EXPECT_EQ(counts, (Counts{0, 0, 0}));
    window_.reset();
  }
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
  options.modals = {};
  CQUORIX_NET_CHECKDlg window(options);
  EXPECT_EQ(window.ConfigFilePath(), FixedConfigFilePath());
}

}  // namespace
}  // namespace qnc
