// The session's row filling: default rows, a loaded configuration and the
// route of row edits through a front end's editor.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/probe/probe_session.h"
#include "core/probe/row_update.h"

namespace qnc {
namespace {

using Rows = std::vector<std::string>;

Rows Targets(const TableStore& table) {
  Rows targets;
  for (const auto& row : table.Snapshot()) targets.push_back(row[cell::kTarget]);
  return targets;
}

// Session options whose gateway lookup reads a route table of the test's own.
class ProbeSessionRows : public testing::Test {
 protected:
  void SetUp() override {
    routes_ = std::filesystem::temp_directory_path() /
              ("qnc-session-route-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::ofstream(routes_) << "Iface\tDestination\tGateway\n"
                           << "eth0\t00000000\t0102A8C0\t0003\n";
    options_.routeTablePath = routes_.string();
  }
  void TearDown() override { std::filesystem::remove(routes_); }

  std::filesystem::path routes_;
  ProbeSessionOptions options_;
};

TEST_F(ProbeSessionRows, DefaultRowsThenGivenRows) {
  ProbeSession session(options_);
  session.AddDefaultRows();
  session.AppendRows(TableKind::kPing, {"127.0.0.1"});
  EXPECT_EQ(Targets(session.Table(TableKind::kDns)), (Rows{"www.baidu.com", "www.sina.com.cn", "game.qq.com"}));
  EXPECT_EQ(session.Table(TableKind::kDns).CellAt(0, cell::kAverage), "60");
  EXPECT_EQ(Targets(session.Table(TableKind::kPing)),
            (Rows{"www.baidu.com", "www.sina.com.cn", "game.qq.com", "192.168.2.1", "127.0.0.1"}));
  EXPECT_EQ(session.Table(TableKind::kGame).CellAt(1, cell::kGameDescription), "英雄联盟比尔吉沃特（LOL）");
  EXPECT_EQ(session.Targets()[TableKind::kGame], Targets(session.Table(TableKind::kGame)));
}

TEST_F(ProbeSessionRows, ConfigurationReplacesOnlyTheTablesTheFileReached) {
  struct Case {
    const char* name;
    LoadedConfig loaded;
    PerTable<Rows> expected;
  };
  const Rows dns{"a.test", "b.test"}, ping{"127.0.0.1"}, game{"g.test:443"};
  const std::vector<Case> cases{
      {"refused", LoadedConfig{false, {Rows{"x"}, Rows{"y"}, Rows{"z"}}}, {dns, ping, game}},
      {"all three", LoadedConfig{true, {Rows{"x"}, Rows{}, Rows{"z1", "z2"}}}, {Rows{"x"}, Rows{}, Rows{"z1", "z2"}}},
      {"ends in the ping section", LoadedConfig{true, {Rows{}, Rows{"y"}, std::nullopt}}, {Rows{}, Rows{"y"}, game}},
  };
  for (const Case& c : cases) {
    ProbeSession session(options_);
    for (const TableKind kind : kAllTables) session.AppendRows(kind, PerTable<Rows>{dns, ping, game}[kind]);
    // A measured figure that must not survive into a replaced table's rows.
    RecordTimeout(session.Table(TableKind::kGame), session.Table(TableKind::kGame).RowAt(0));

    EXPECT_EQ(session.ApplyConfig(c.loaded), c.loaded.accepted) << c.name;
    EXPECT_EQ(session.Targets(), c.expected) << c.name;
    if (c.loaded.accepted && c.loaded.tables[TableKind::kGame]) {
      const RowRef first = session.Table(TableKind::kGame).RowAt(0);
      EXPECT_EQ(first.counters->lost.load(), 0u) << c.name << ": new rows have counters of their own";
      EXPECT_EQ(session.Table(TableKind::kGame).CellAt(0, cell::kLatency), "") << c.name;
    }
  }
}

// Stands for a front end's model: counts the edits and passes them on.
class CountingEditor final : public RowEditor {
 public:
  explicit CountingEditor(TableStore& store) : store_(store) {}
  RowId InsertRow(int index, std::string_view target) override {
    ++inserts;
    return store_.InsertRow(index, target);
  }
  bool DeleteRow(int index) override {
    ++deletes;
    return store_.DeleteRow(index);
  }
  void DeleteAllRows() override {
    ++clears;
    store_.DeleteAllRows();
  }
  int inserts = 0;
  int deletes = 0;
  int clears = 0;

 private:
  TableStore& store_;
};

TEST_F(ProbeSessionRows, RowEditsGoThroughTheInstalledEditor) {
  ProbeSession session(options_);
  CountingEditor editor(session.Table(TableKind::kPing));
  session.SetRowEditor(TableKind::kPing, &editor);
  session.AddDefaultRows();
  session.ApplyConfig(LoadedConfig{true, {Rows{"d"}, Rows{"p1", "p2"}, std::nullopt}});
  EXPECT_EQ(editor.inserts, 4 + 2);
  EXPECT_EQ(editor.clears, 1);
  EXPECT_EQ(Targets(session.Table(TableKind::kPing)), (Rows{"p1", "p2"}));
  EXPECT_TRUE(session.DeleteRow(TableKind::kPing, 0));
  EXPECT_FALSE(session.DeleteRow(TableKind::kPing, 5));
  EXPECT_EQ(editor.deletes, 2);
  EXPECT_EQ(Targets(session.Table(TableKind::kPing)), (Rows{"p2"}));

  session.SetRowEditor(TableKind::kPing, nullptr);
  session.AppendRows(TableKind::kPing, {"p3"});
  EXPECT_EQ(editor.inserts, 6) << "without an editor the store takes the edit itself";
  EXPECT_EQ(session.Table(TableKind::kPing).RowCount(), 2);
}

TEST_F(ProbeSessionRows, RestartingAllCountersReachesEveryTable) {
  ProbeSession session(options_);
  session.AppendRows(TableKind::kGame, {"g.test"});
  TableStore& game = session.Table(TableKind::kGame);
  RecordTimeout(game, game.RowAt(0));
  session.RestartAllCounters();
  EXPECT_EQ(game.RowAt(0).counters->lost.load(), 0u) << "the game table's counters restart at once";
  EXPECT_TRUE(session.Reset().ConsumeDns()) << "the DNS worker restarts its own at its next pass";
  EXPECT_TRUE(session.Reset().ConsumePing()) << "the ping worker restarts its own at its next pass";
}

}  // namespace
}  // namespace qnc
