// The texts both windows show of their tables: the rows copied to the
// clipboard, a row's tooltip, and the notice when pings cannot be sent.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/probe/failure_reason.h"
#include "core/probe/table_store.h"
#include "views/commands/ping_permission_text.h"
#include "views/commands/row_tip_text.h"
#include "views/commands/server_box_problem.h"
#include "views/commands/table_copy_text.h"

namespace qnc {
namespace {

class TableCopyTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* target : {"a.test", "b.test", "c.test"}) ping_.InsertRow(ping_.RowCount(), target);
    ping_.SetCellAt(0, 1, "12");
    ping_.SetCellAt(1, 1, "超时");
    ping_.SetCellAt(2, 3, " 0.00%   [0(3)]");
  }

  TableStore ping_{TableKind::kPing};
};

TEST_F(TableCopyTextTest, GivesTheChosenRowsOrAllInTableOrderUnderTheCaptions) {
  const std::string captions = "域名或者ip\t延时\t平均延迟\t丢包率\t质量\n";
  const std::string rowA = "a.test\t12\t\t\t\n";
  const std::string rowB = "b.test\t超时\t\t\t\n";
  const std::string rowC = "c.test\t\t\t 0.00%   [0(3)]\t\n";
  struct Case {
    const char* name;
    std::vector<int> rows;
    std::string expected;
  };
  const std::vector<Case> cases{
      {"none chosen: every row", {}, captions + rowA + rowB + rowC},
      {"one row", {1}, captions + rowB},
      {"rows chosen out of order come in table order", {2, 0}, captions + rowA + rowC},
      {"a row named twice comes once", {1, 1}, captions + rowB},
      {"rows that are gone are left out", {-1, 0, 3}, captions + rowA},
  };
  for (const Case& each : cases) {
    SCOPED_TRACE(each.name);
    EXPECT_EQ(TableCopyText(ping_, each.rows), each.expected);
  }
}

TEST(TableCopyText, ATabOrLineBreakInsideACellDoesNotSplitTheColumnOrLine) {
  TableStore game(TableKind::kGame);
  game.InsertRow(0, "g.test:443");
  game.SetCellAt(0, 5, "tab\there\r\nand");
  EXPECT_EQ(TableCopyText(game, {}),
            "域名或者ip\t延时\t平均延迟\t丢包率\t质量\t描述\ng.test:443\t\t\t\t\ttab here  and\n");
}

TEST(RowTipText, NamesTheLatestFailureAboveTheTablesNotice) {
  TableStore ping(TableKind::kPing);
  ping.InsertRow(0, "a.test");
  const RowRef row = ping.RowAt(0);
  const auto add = [&](FailureReason outcome) { row.counters->history.Append(Sample{{}, 1000, outcome}); };
  const std::string notice = "无法发送 ping";

  EXPECT_EQ(RowTipText(ping, 0, ""), "") << "nothing measured yet";
  EXPECT_EQ(RowTipText(ping, 0, notice), notice);
  add(FailureReason::kRefused);
  const std::string refused = RowTipText(ping, 0, "");
  EXPECT_EQ(refused, "最近一次测量失败：" + std::string(FailureText(FailureReason::kRefused)));
  add(FailureReason::kTimeout);
  const std::string timedOut = RowTipText(ping, 0, "");
  EXPECT_NE(timedOut, refused) << "the latest failure is named";
  EXPECT_EQ(RowTipText(ping, 0, notice), timedOut + "\n\n" + notice);
  add(FailureReason::kNone);
  EXPECT_EQ(RowTipText(ping, 0, ""), "") << "an answer after failures: nothing to say";
  EXPECT_EQ(RowTipText(ping, 7, notice), notice) << "a row that is gone";
}

// The DNS server box names a server, or says what is wrong with its text.
TEST(ServerBoxProblem, SaysWhatIsWrongWithTheBoxText) {
  struct Case {
    std::string text;
    std::string said;  // empty: nothing is wrong
  };
  const Case cases[] = {
      {"10.77.0.1", ""},
      {"127.0.0.1", ""},
      {"10.77.0", "“10.77.0”不是完整的 IPv4 地址"},
      {"abc", "“abc”不是完整的 IPv4 地址"},
      {"", "“dns服务器：”是空的"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string problem = ServerBoxProblem(c.text);
    if (c.said.empty()) {
      EXPECT_EQ(problem, "");
    } else {
      EXPECT_TRUE(problem.starts_with(c.said)) << problem;
      EXPECT_NE(problem.find("DNS 表暂不查询"), std::string::npos) << problem;
    }
  }
}

// The fix is a command to paste as it stands, whatever the program's path;
// the source tree's script is offered only to a program in the build tree;
// and the notice always says that the program must be started again.
TEST(PingPermissionText, FitsHowTheProgramWasPlaced) {
  const std::string tree = "/src/quorix/build/release";
  struct Case {
    std::string path;
    ProgramPlacement placement;
    std::string command;
  };
  const Case cases[] = {
      {"/usr/bin/quorix-net-check", ProgramPlacement::kInstalled,
       "sudo setcap cap_net_raw+ep /usr/bin/quorix-net-check"},
      {"/src/quorix/build/release-old/quorix-net-check", ProgramPlacement::kInstalled,
       "sudo setcap cap_net_raw+ep /src/quorix/build/release-old/quorix-net-check"},
      {"/home/li/测试 工具/quorix-net-check", ProgramPlacement::kInstalled,
       "sudo setcap cap_net_raw+ep '/home/li/测试 工具/quorix-net-check'"},
      {"/tmp/it's/q", ProgramPlacement::kInstalled, "sudo setcap cap_net_raw+ep '/tmp/it'\\''s/q'"},
      {"/src/quorix/build/release/src/qt/app/quorix-net-check", ProgramPlacement::kBuildTree,
       "sudo setcap cap_net_raw+ep /src/quorix/build/release/src/qt/app/quorix-net-check"},
      {"/src/quorix/build/release/../release/./q", ProgramPlacement::kBuildTree,
       "sudo setcap cap_net_raw+ep /src/quorix/build/release/../release/./q"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(PlacementOf(c.path, tree), c.placement);
    const std::string text = PingPermissionText(c.path, c.placement);
    EXPECT_NE(text.find(c.command + "\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("scripts/run") != std::string::npos, c.placement == ProgramPlacement::kBuildTree);
    EXPECT_NE(text.find("重新启动"), std::string::npos);
  }
  EXPECT_EQ(PlacementOf("/src/quorix/build/release", tree), ProgramPlacement::kInstalled) << "the tree itself";
}

TEST(PingPermissionText, OnWindowsTheFixIsToRunAsAdministrator) {
  const std::string text = AdministratorPingPermissionText();
  EXPECT_NE(text.find("以管理员身份运行"), std::string::npos) << text;
  EXPECT_EQ(text.find("setcap"), std::string::npos);
  EXPECT_NE(text.find("重新启动"), std::string::npos);
}

}  // namespace
}  // namespace qnc
