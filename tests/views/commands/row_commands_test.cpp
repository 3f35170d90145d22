// Adding and deleting rows, the retests and the DNS server box.
#include <gtest/gtest.h>

#include "views/commands/fake_ui_services.h"
#include "views/commands/window_commands.h"

namespace qnc {
namespace {

using test::FakeUiServices;
using test::TargetsOf;
using Targets = std::vector<std::string>;

class RowCommands : public ::testing::Test {
 protected:
  RowCommands() {
    session_.AppendRows(TableKind::kDns, {"a.test", "b.test"});
    session_.AppendRows(TableKind::kPing, {"127.0.0.1", "127.0.0.2", "127.0.0.3", "127.0.0.4"});
    session_.AppendRows(TableKind::kGame, {"g.test:443"});
  }

  ProbeSession session_{test::StillSessionOptions()};
  FakeUiServices ui_;
  WindowCommands commands_{session_, ui_, "/nonexistent/fixed.txt"};
};

TEST_F(RowCommands, AddAppendsWhatTheTablesBoxAnswersExactly) {
  struct Case {
    TableKind table;
    std::optional<NewRow> answer;
    std::optional<std::string> addedTarget;  // nothing: no row added
    std::string description;
  };
  const Case cases[] = {
      {TableKind::kDns, NewRow{" 测试.example ", "ignored"}, " 测试.example ", ""},
      {TableKind::kPing, NewRow{"", ""}, "", ""},
      {TableKind::kPing, std::nullopt, std::nullopt, ""},
      {TableKind::kGame, NewRow{"h.test:27015", "艾欧尼亚"}, "h.test:27015", "艾欧尼亚"},
      {TableKind::kGame, std::nullopt, std::nullopt, ""},
  };
  for (const Case& c : cases) {
    TableStore& table = session_.Table(c.table);
    const int before = table.RowCount();
    ui_.rowAnswers = {c.answer};
    commands_.AddRow(c.table);
    ASSERT_EQ(ui_.boxesAsked.back(), c.table) << "the box of the table the command names";
    if (!c.addedTarget) {
      EXPECT_EQ(table.RowCount(), before) << "a cancelled box adds nothing";
      continue;
    }
    ASSERT_EQ(table.RowCount(), before + 1);
    const auto row = table.Snapshot().back();
    EXPECT_EQ(row[cell::kTarget], *c.addedTarget);
    if (c.table == TableKind::kGame) {
      EXPECT_EQ(row[cell::kGameDescription], c.description);
    }
    for (std::size_t column = 1; column < row.size(); ++column) {
      const bool description = c.table == TableKind::kGame && static_cast<int>(column) == cell::kGameDescription;
      if (!description) {
        EXPECT_EQ(row[column], "") << "column " << column << " starts empty";
      }
    }
  }
}

TEST_F(RowCommands, DeleteRemovesTheSelectedRowOnlyAndOthersKeepTheirCounters) {
  TableStore& ping = session_.Table(TableKind::kPing);
  test::MarkCounters(ping);
  const std::uint32_t thirdLost = ping.RowAt(2).counters->lost;

  commands_.DeleteSelectedRow(TableKind::kPing);  // no selection
  EXPECT_EQ(ping.RowCount(), 4);

  ui_.selection[TableKind::kPing] = 1;
  commands_.DeleteSelectedRow(TableKind::kPing);
  EXPECT_EQ(TargetsOf(ping), (Targets{"127.0.0.1", "127.0.0.3", "127.0.0.4"}));
  EXPECT_EQ(ping.RowAt(1).counters->lost, thirdLost) << "the later row keeps its own counters";

  ui_.selection[TableKind::kPing] = 7;  // past the end, as a stale selection could be
  commands_.DeleteSelectedRow(TableKind::kPing);
  EXPECT_EQ(ping.RowCount(), 3);
  EXPECT_EQ(TargetsOf(session_.Table(TableKind::kDns)), (Targets{"a.test", "b.test"})) << "other tables untouched";
}

TEST_F(RowCommands, EachRetestResetsExactlyItsTable) {
  struct Case {
    void (WindowCommands::*command)();
    TableKind reset;
  };
  for (const Case c :
       {Case{&WindowCommands::RetestDns, TableKind::kDns}, Case{&WindowCommands::RetestPing, TableKind::kPing}}) {
    for (const TableKind kind : kAllTables) test::MarkCounters(session_.Table(kind));
    (commands_.*c.command)();
    for (const TableKind kind : kAllTables) {
      EXPECT_EQ(test::CountersAreZero(session_.Table(kind)), kind == c.reset) << static_cast<int>(kind);
    }
  }
}

// The counters restart when the worker meets a new whole address, not with
// every keystroke (see the DNS worker's tests).
TEST_F(RowCommands, AnEditOfTheServerBoxPointsTheWorkerThereAndKeepsTheCounters) {
  for (const TableKind kind : kAllTables) test::MarkCounters(session_.Table(kind));
  commands_.DnsServerEdited("127.0.0.53");
  EXPECT_EQ(session_.DnsServer().Text(), "127.0.0.53");
  for (const TableKind kind : kAllTables) EXPECT_FALSE(test::CountersAreZero(session_.Table(kind)));
}

}  // namespace
}  // namespace qnc
