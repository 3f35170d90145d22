#include "views/commands/fake_ui_services.h"

#include <gtest/gtest.h>

#include <random>

namespace qnc::test {

std::optional<NewRow> FakeUiServices::AskNewRow(TableKind table) {
  boxesAsked.push_back(table);
  if (rowAnswers.empty()) return std::nullopt;
  std::optional<NewRow> answer = std::move(rowAnswers.front());
  rowAnswers.pop_front();
  return answer;
}

TempFolder::TempFolder() {
  path_ = std::filesystem::path(testing::TempDir()) / ("qnc_commands_" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

ProbeSessionOptions StillSessionOptions() {
  ProbeSessionOptions options;
  options.routeTablePath = "/nonexistent/route";
  return options;
}

std::vector<std::string> TargetsOf(const TableStore& table) {
  std::vector<std::string> targets;
  for (const auto& row : table.Snapshot()) targets.push_back(row[cell::kTarget]);
  return targets;
}

void MarkCounters(TableStore& table) {
  std::uint32_t value = 1;
  table.ForEachRowCounters([&value](RowCounters& counters) {
    counters.lost = value++;
    counters.answered = value++;
    counters.latencySum = value++;
  });
}

bool CountersAreZero(TableStore& table) {
  bool zero = true;
  table.ForEachRowCounters([&zero](RowCounters& counters) {
    zero = zero && counters.lost == 0 && counters.answered == 0 && counters.latencySum == 0;
  });
  return zero;
}

}  // namespace qnc::test
