#include "core/probe/row_update.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/probe/table_schema.h"
#include "core/probe/table_store.h"

namespace qnc {
namespace {

TEST(QualityRating, ThresholdsAndNegativeInputs) {
  const std::vector<std::pair<int, std::string_view>> cases = {{-5, "非常好"}, {0, "非常好"}, {14, "非常好"},
                                                               {15, "好"},     {54, "好"},    {55, "一般"},
                                                               {99, "一般"},   {100, "差"},   {5000, "差"}};
  for (const auto& [latency, word] : cases) EXPECT_EQ(QualityRating(latency), word) << latency;
}

// One probe outcome: a success that took `elapsed` ticks, or a time-out.
struct Probe {
  bool success;
  std::uint32_t elapsed = 0;
};
Probe Ok(std::uint32_t elapsed) { return {true, elapsed}; }
Probe Timeout() { return {false}; }

struct RowCase {
  const char* name;
  TableKind kind;
  std::vector<Probe> probes;
  std::vector<std::string> expected;  // cells 1.. of the row afterwards
};

TEST(RowUpdate, CellsAfterSequencesOfProbes) {
  const std::vector<RowCase> cases = {
      {"dns three time-outs",
       TableKind::kDns,
       {Timeout(), Timeout(), Timeout()},
       {"超时", "0", "100.00%   [3(3)]", "", "差"}},
      {"ping three time-outs",
       TableKind::kPing,
       {Timeout(), Timeout(), Timeout()},
       {"超时", "0", " 100.00%   [3(3)]", "差"}},
      {"game three time-outs",
       TableKind::kGame,
       {Timeout(), Timeout(), Timeout()},
       {"超时", "0", " 100.00%   [3(3)]", "差", ""}},
      {"dns zero ms", TableKind::kDns, {Ok(0)}, {"1", "1", "0.00%   [0(1)]", "10.1.2.3", "非常好"}},
      {"game zero ms", TableKind::kGame, {Ok(0)}, {"1", "1", " 0.00%   [0(1)]", "非常好", ""}},
      {"ping zero ms", TableKind::kPing, {Ok(0)}, {"1", "1", " 0.00%   [0(1)]", "非常好"}},
      {"ping 10 then 20", TableKind::kPing, {Ok(9), Ok(19)}, {"20", "15", " 0.00%   [0(2)]", "好"}},
      // A steady 20 ms row averages 20 and rates 好, as in the other tables.
      {"ping steady 20", TableKind::kPing, {Ok(19), Ok(19), Ok(19)}, {"20", "20", " 0.00%   [0(3)]", "好"}},
      {"dns success then time-out",
       TableKind::kDns,
       {Ok(29), Timeout()},
       {"超时", "30", "50.00%   [1(2)]", "10.1.2.3", "差"}},
      {"game success then time-out",
       TableKind::kGame,
       {Ok(29), Timeout()},
       {"超时", "30", " 50.00%   [1(2)]", "差", ""}},
      {"one of eight lost",
       TableKind::kDns,
       {Ok(1), Ok(1), Ok(1), Ok(1), Ok(1), Ok(1), Ok(1), Timeout()},
       {"超时", "2", "12.50%   [1(8)]", "10.1.2.3", "差"}},
      {"rating follows the average", TableKind::kGame, {Ok(199), Ok(9)}, {"10", "105", " 0.00%   [0(2)]", "差", ""}},
  };
  for (const RowCase& c : cases) {
    TableStore table(c.kind);
    table.InsertRow(0, "target");
    const RowRef row = table.RowAt(0);
    for (const Probe& probe : c.probes) {
      if (probe.success) {
        RecordSuccess(table, row, probe.elapsed, ParseDottedQuad("10.1.2.3"));
      } else {
        RecordTimeout(table, row);
      }
    }
    std::vector<std::string> cells;
    for (int column = 1; column < ColumnCount(c.kind); ++column) cells.push_back(table.CellAt(0, column));
    EXPECT_EQ(cells, c.expected) << c.name;
  }
}

TEST(RowUpdate, ResetCountersKeepsTextsUntilTheNextProbe) {
  TableStore table(TableKind::kGame);
  table.InsertRow(0, "host:1");
  const RowRef row = table.RowAt(0);
  RecordSuccess(table, row, 49);
  RecordTimeout(table, row);
  ResetCounters(table);
  EXPECT_EQ(table.CellAt(0, cell::kLoss), " 50.00%   [1(2)]");
  RecordSuccess(table, row, 19);
  EXPECT_EQ(table.CellAt(0, cell::kAverage), "20");
  EXPECT_EQ(table.CellAt(0, cell::kLoss), " 0.00%   [0(1)]");
}

TEST(RowUpdate, CountersWrapWithoutSaturating) {
  TableStore table(TableKind::kDns);
  table.InsertRow(0, "a");
  const RowRef row = table.RowAt(0);
  row.counters->latencySum = 0xFFFFFFFFu;
  row.counters->answered = 1;
  RecordSuccess(table, row, 1);  // adds 2: the sum wraps to 1
  EXPECT_EQ(row.counters->latencySum.load(), 1u);
  EXPECT_EQ(table.CellAt(0, cell::kAverage), "0");
}

TEST(RowUpdate, ResultsForADeletedRowReachNoOtherRow) {
  TableStore table(TableKind::kPing);
  table.InsertRow(0, "first");
  table.InsertRow(1, "second");
  const RowRef probed = table.RowAt(0);
  ASSERT_TRUE(table.DeleteRow(0));
  RecordSuccess(table, probed, 5);
  RecordTimeout(table, probed);
  EXPECT_EQ(table.CellAt(0, cell::kTarget), "second");
  EXPECT_EQ(table.CellAt(0, cell::kLatency), "");
  EXPECT_EQ(table.RowAt(0).counters->answered.load(), 0u);
  EXPECT_EQ(table.RowAt(0).counters->lost.load(), 0u);
}

}  // namespace
}  // namespace qnc
