// Fitting the list columns to a list whose width follows the display scale.
#include "views/templates/table_columns.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace qnc {
namespace {

std::vector<TableColumn> Designed(const std::vector<int>& widths) {
  std::vector<TableColumn> columns;
  for (const int width : widths) columns.push_back({width, false});
  return columns;
}

TEST(FitColumnWidths, FillsTheRoomGivingEachColumnItsNeed) {
  const struct {
    const char* what;
    std::vector<int> designed, least;
    int room;
    std::vector<int> fitted;
  } cases[] = {
      {"a wider list: every column grows in proportion", {100, 200, 100}, {0, 0, 0}, 800, {200, 400, 200}},
      {"a narrower list: every column shrinks in proportion", {100, 200, 100}, {10, 10, 10}, 200, {50, 100, 50}},
      {"a column whose share is short of its need takes its need", {100, 200, 100}, {300, 0, 0}, 800, {300, 333, 167}},
      {"one column's need can push another below its own", {100, 100, 100}, {250, 200, 0}, 600, {250, 200, 150}},
      {"needs wider than the list: each column gets its need", {100, 100, 100}, {300, 300, 300}, 600, {300, 300, 300}},
      {"rounding loses no pixel", {1, 1, 1}, {0, 0, 0}, 10, {3, 3, 4}},
      {"no room at all", {100, 100}, {20, 30}, 0, {20, 30}},
  };
  for (const auto& c : cases) {
    const std::vector<int> fitted = FitColumnWidths(Designed(c.designed), c.least, c.room);
    EXPECT_EQ(fitted, c.fitted) << c.what;
    for (std::size_t column = 0; column < fitted.size(); ++column) EXPECT_GE(fitted[column], c.least[column]) << c.what;
  }
}

// The real tables at one and a half times their designed width, with a loss
// column that needs more than its share: the list is filled to the pixel.
TEST(FitColumnWidths, TheTablesFillAScaledList) {
  for (const TableKind kind : kAllTables) {
    const auto& columns = TableColumns(kind);
    const int designed = std::accumulate(columns.begin(), columns.end(), 0,
                                         [](int sum, const TableColumn& column) { return sum + column.widthPx; });
    std::vector<int> least(columns.size(), 0);
    least[3] = 400;
    const std::vector<int> fitted = FitColumnWidths(columns, least, designed * 3 / 2);
    EXPECT_EQ(std::accumulate(fitted.begin(), fitted.end(), 0), designed * 3 / 2);
    EXPECT_EQ(fitted[3], 400);
    EXPECT_GT(fitted[0], columns[0].widthPx);
  }
}

}  // namespace
}  // namespace qnc
