// Export, import, the tray's save and the start-up load of the configuration file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/config/config_file.h"
#include "views/commands/fake_ui_services.h"
#include "views/commands/window_commands.h"

namespace qnc {
namespace {

using test::TargetsOf;
using Targets = std::vector<std::string>;

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(PathFromUtf8(path), std::ios::binary) << text;
}

class ConfigCommands : public ::testing::Test {
 protected:
  ConfigCommands() {
    session_.AppendRows(TableKind::kDns, {"a.test", "b.test", "c.test"});
    session_.AppendRows(TableKind::kPing, {"127.0.0.1", "测试.example"});
    session_.AppendRows(TableKind::kGame, {"g1.test:443", "g2.test"});
  }

  PerTable<Targets> AllTargets() {
    return {TargetsOf(session_.Table(TableKind::kDns)), TargetsOf(session_.Table(TableKind::kPing)),
            TargetsOf(session_.Table(TableKind::kGame))};
  }

  test::TempFolder folder_;
  ProbeSession session_{test::StillSessionOptions()};
  test::FakeUiServices ui_;
  WindowCommands commands_{session_, ui_, folder_.PathOf("新建/" + std::string(kConfigFileName))};
};

TEST_F(ConfigCommands, AnExportImportedIntoAnotherSessionShowsTheSameTables) {
  ui_.fileToSave = folder_.PathOf("导出.txt");
  test::MarkCounters(session_.Table(TableKind::kPing));
  commands_.ExportConfig();
  EXPECT_TRUE(ui_.warnings.empty());
  EXPECT_FALSE(test::CountersAreZero(session_.Table(TableKind::kPing))) << "an export leaves the counters alone";

  ProbeSession other(test::StillSessionOptions());
  other.AppendRows(TableKind::kDns, {"old.test"});
  test::FakeUiServices otherUi;
  otherUi.fileToOpen = ui_.fileToSave;
  WindowCommands(other, otherUi, folder_.PathOf("unused.txt")).ImportConfig();
  for (const TableKind kind : kAllTables) EXPECT_EQ(TargetsOf(other.Table(kind)), AllTargets()[kind]);
}

TEST_F(ConfigCommands, ExportWritesNothingWhenCancelledAndWarnsWhenTheWriteFails) {
  commands_.ExportConfig();  // cancelled
  EXPECT_TRUE(ui_.warnings.empty());
  EXPECT_TRUE(std::filesystem::is_empty(folder_.PathOf("")));

  // A folder where the file should go cannot be written over.
  const std::string taken = folder_.PathOf("导出");
  std::filesystem::create_directory(PathFromUtf8(taken));
  ui_.fileToSave = taken;
  commands_.ExportConfig();
  ASSERT_EQ(ui_.warnings.size(), 1U);
  EXPECT_EQ(ui_.warnings[0], "无法写入文件，配置没有导出：\n" + taken);
  EXPECT_TRUE(std::filesystem::is_directory(PathFromUtf8(taken)));
}

TEST_F(ConfigCommands, ImportRestartsEveryCounterWhateverTheFileDid) {
  const std::string good = folder_.PathOf("good.txt");
  ASSERT_TRUE(SaveTablesForReload(good, ConfigTables{{"x.test"}, {"127.0.0.9"}, {"y.test:80"}}));
  const std::string refused = folder_.PathOf("refused.txt");
  WriteText(refused, "no header line\n");
  const PerTable<Targets> before = AllTargets();

  struct Case {
    const char* name;
    std::optional<std::string> chosen;
    PerTable<Targets> expected;
  };
  const Case cases[] = {
      {"cancelled", std::nullopt, before},
      {"missing", folder_.PathOf("missing.txt"), before},
      {"refused", refused, before},
      {"good", good, {Targets{"x.test"}, Targets{"127.0.0.9"}, Targets{"y.test:80"}}},
  };
  for (const Case& c : cases) {
    for (const TableKind kind : kAllTables) test::MarkCounters(session_.Table(kind));
    (void)session_.Reset().ConsumeDns();
    (void)session_.Reset().ConsumePing();
    ui_.fileToOpen = c.chosen;
    commands_.ImportConfig();
    EXPECT_EQ(AllTargets(), c.expected) << c.name;
    // The DNS and ping workers restart their counters at their next pass;
    // the game table's restart at once.
    EXPECT_TRUE(session_.Reset().ConsumeDns()) << c.name;
    EXPECT_TRUE(session_.Reset().ConsumePing()) << c.name;
    EXPECT_TRUE(test::CountersAreZero(session_.Table(TableKind::kGame))) << c.name;
  }
}

TEST_F(ConfigCommands, TheTraySaveCreatesItsFolderAndTheNextStartLoadsIt) {
  ASSERT_TRUE(commands_.SaveFixedFile());
  EXPECT_TRUE(ui_.warnings.empty()) << "the tray's save reports nothing";

  ProbeSession next(test::StillSessionOptions());
  next.AppendRows(TableKind::kPing, {"default.test"});
  test::FakeUiServices nextUi;
  WindowCommands(next, nextUi, commands_.FixedConfigPath()).LoadFixedFile();
  for (const TableKind kind : kAllTables) EXPECT_EQ(TargetsOf(next.Table(kind)), AllTargets()[kind]);
}

TEST_F(ConfigCommands, TheStartUpLoadReplacesOnlyTheTablesTheFileReaches) {
  const PerTable<Targets> start = AllTargets();
  struct Case {
    const char* name;
    std::optional<std::string> file;  // nothing: no file at all
    PerTable<Targets> expected;
  };
  const Case cases[] = {
      {"no file", std::nullopt, start},
      {"header on the second line", "x\r\n#headv1===\r\nd\r\n", start},
      {"ends in the DNS section",
       "#headv1===\r\nd1\r\nd2\r\n",
       {Targets{"d2", "d1"}, start[TableKind::kPing], start[TableKind::kGame]}},
      {"ends in the ping section",
       "#headv1===\nd\n#PING===\np\n",
       {Targets{"d"}, Targets{"p"}, start[TableKind::kGame]}},
      {"whole file",
       "#headv1===\r\nd\r\n#PING===\r\n#GAME===\r\nh:1\r\nh:2\r\n",
       {Targets{"d"}, Targets{}, Targets{"h:2", "h:1"}}},
  };
  for (const Case& c : cases) {
    const std::string path = folder_.PathOf(std::string(c.name) + ".txt");
    if (c.file) WriteText(path, *c.file);
    ProbeSession next(test::StillSessionOptions());
    for (const TableKind kind : kAllTables) next.AppendRows(kind, start[kind]);
    test::FakeUiServices nextUi;
    WindowCommands(next, nextUi, path).LoadFixedFile();
    for (const TableKind kind : kAllTables) {
      EXPECT_EQ(TargetsOf(next.Table(kind)), c.expected[kind]) << c.name << ", table " << static_cast<int>(kind);
    }
  }
}

TEST_F(ConfigCommands, AFailedTraySaveSaysFalseAndNothingElse) {
  WriteText(folder_.PathOf("file"), "");
  test::FakeUiServices ui;
  WindowCommands commands(session_, ui, folder_.PathOf("file/below/a/file.txt"));
  EXPECT_FALSE(commands.SaveFixedFile());
  EXPECT_TRUE(ui.warnings.empty());
}

}  // namespace
}  // namespace qnc
