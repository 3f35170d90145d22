#include "core/probe/table_store.h"

#include <gtest/gtest.h>

#include "core/probe/row_update.h"

namespace qnc {
namespace {

TEST(TableStore, DeletingARowKeepsEveryOtherRowsFigures) {
  TableStore table(TableKind::kDns);
  for (const char* host : {"a", "b", "c", "d"}) table.InsertRow(table.RowCount(), host);
  // Row i gets i successes of 10 ms and one time-out.
  for (int i = 0; i < 4; ++i) {
    const RowRef row = table.RowAt(i);
    for (int n = 0; n <= i; ++n) RecordSuccess(table, row, static_cast<std::uint32_t>(10 * (i + 1) - 1));
    RecordTimeout(table, row);
  }
  ASSERT_TRUE(table.DeleteRow(1));
  ASSERT_EQ(table.RowCount(), 3);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"a", "50.00%   [1(2)]"}, {"c", "25.00%   [1(4)]"}, {"d", "20.00%   [1(5)]"}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(table.CellAt(i, cell::kTarget), expected[static_cast<std::size_t>(i)].first);
    EXPECT_EQ(table.CellAt(i, cell::kLoss), expected[static_cast<std::size_t>(i)].second);
  }
  // The next probe of the row now at index 1 ("c") continues c's own counters.
  RecordSuccess(table, table.RowAt(1), 29);
  EXPECT_EQ(table.CellAt(1, cell::kAverage), "30");
  EXPECT_EQ(table.CellAt(1, cell::kLoss), "20.00%   [1(5)]");
}

TEST(TableStore, HistoryGoesWithItsRowAndResetsWithItsCounters) {
  TableStore table(TableKind::kPing);
  const RowId first = table.InsertRow(0, "a");
  const RowId second = table.InsertRow(1, "b");
  const auto sample = [](std::uint32_t us, FailureReason outcome) {
    return Sample{std::chrono::system_clock::now(), us, outcome};
  };
  const auto record = [&](int index, const Sample& s) {
    RecordSample(table, table.RowAt(index), table.CellAt(index, cell::kTarget), s, {});
  };
  record(0, sample(1000, FailureReason::kNone));
  record(1, sample(2000, FailureReason::kNone));
  record(1, sample(0, FailureReason::kRefused));

  // A row inserted before them moves them down; each keeps its own history.
  table.InsertRow(0, "new");
  ASSERT_EQ(table.History(first)->Size(), 1u);
  ASSERT_EQ(table.History(second)->Size(), 2u);
  EXPECT_EQ(table.History(table.RowAt(0).id)->Size(), 0u);
  const auto stats = table.Statistics(second);
  ASSERT_TRUE(stats.has_value());
  EXPECT_EQ(stats->count, 2u);
  EXPECT_DOUBLE_EQ(stats->meanMs.value(), 2.0);
  EXPECT_EQ(stats->lastOutcome, FailureReason::kRefused);

  // A reader's copy outlives the row; an unknown identity has none.
  const auto kept = table.History(second);
  ASSERT_TRUE(table.DeleteRow(2));
  EXPECT_EQ(table.History(second), nullptr);
  EXPECT_FALSE(table.Statistics(second).has_value());
  EXPECT_EQ(kept->Size(), 2u);

  // The reset that zeroes the counters clears the histories.
  ResetCounters(table);
  EXPECT_EQ(table.History(first)->Size(), 0u);
  EXPECT_EQ(table.Statistics(first)->count, 0u);
}

TEST(TableStore, VanishedRowsReadEmptyAndIgnoreWrites) {
  TableStore table(TableKind::kGame);
  const RowId id = table.InsertRow(0, "host:80");
  table.SetCell(id, cell::kGameDescription, "desc");
  EXPECT_EQ(table.Cell(id, cell::kGameDescription), "desc");
  table.DeleteAllRows();
  EXPECT_EQ(table.Cell(id, cell::kTarget), "");
  table.SetCell(id, cell::kLatency, "5");
  EXPECT_EQ(table.RowCount(), 0);
  EXPECT_FALSE(table.RowAt(0));
  EXPECT_FALSE(table.DeleteRow(0));
  EXPECT_EQ(table.CellAt(3, 0), "");
  EXPECT_EQ(table.IndexOf(id), -1);
}

TEST(TableStore, InsertPositionsAndOutOfRangeColumns) {
  TableStore table(TableKind::kPing);
  table.InsertRow(0, "b");
  table.InsertRow(0, "a");
  table.InsertRow(99, "c");
  EXPECT_EQ(table.Snapshot(), (std::vector<std::vector<std::string>>{
                                  {"a", "", "", "", ""}, {"b", "", "", "", ""}, {"c", "", "", "", ""}}));
  table.SetCellAt(0, 5, "past the last column");
  table.SetCellAt(0, -1, "before the first");
  EXPECT_EQ(table.Snapshot()[0], (std::vector<std::string>{"a", "", "", "", ""}));
}

TEST(TableStore, ListenerHearsOnlyRealChanges) {
  TableStore table(TableKind::kDns);
  int heard = 0;
  table.SetCellChangedListener([&heard] { ++heard; });
  const RowId id = table.InsertRow(0, "a");
  table.SetCell(id, cell::kLatency, "5");
  table.SetCell(id, cell::kLatency, "5");        // same text: no change
  table.SetCell(id + 100, cell::kLatency, "5");  // no such row
  EXPECT_EQ(heard, 1);
}

TEST(TableStore, ResetCountersZeroesEveryRowPastThe32nd) {
  TableStore table(TableKind::kPing);
  for (int i = 0; i < 40; ++i) table.InsertRow(i, "h" + std::to_string(i));
  for (int i = 0; i < 40; ++i) RecordTimeout(table, table.RowAt(i));
  EXPECT_EQ(table.CellAt(39, cell::kLoss), " 100.00%   [1(1)]");
  ResetCounters(table);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(table.RowAt(i).counters->lost.load(), 0u) << i;
}

}  // namespace
}  // namespace qnc
