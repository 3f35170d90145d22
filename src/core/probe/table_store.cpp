#include "core/probe/table_store.h"

#include <algorithm>

#include "core/probe/table_schema.h"

namespace qnc {

TableStore::TableStore(TableKind kind) : kind_(kind) {}

int TableStore::RowCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(rows_.size());
}

RowRef TableStore::RowAt(int index) const {
  std::lock_guard lock(mutex_);
  if (index < 0 || index >= static_cast<int>(rows_.size())) return {};
  const Row& row = rows_[static_cast<std::size_t>(index)];
  return RowRef{row.id, row.counters};
}

const TableStore::Row* TableStore::FindLocked(RowId id) const {
  // Tables hold tens of rows; a linear search beats keeping an index in step.
  const auto found = std::find_if(rows_.begin(), rows_.end(), [id](const Row& row) { return row.id == id; });
  return found == rows_.end() ? nullptr : &*found;
}

std::string TableStore::Cell(RowId row, int column) const {
  std::lock_guard lock(mutex_);
  const Row* found = FindLocked(row);
  if (found == nullptr || column < 0 || column >= static_cast<int>(found->cells.size())) return {};
  return found->cells[static_cast<std::size_t>(column)];
}

void TableStore::SetCell(RowId row, int column, std::string_view text) {
  {
    std::lock_guard lock(mutex_);
    Row* found = const_cast<Row*>(FindLocked(row));
    if (found == nullptr || column < 0 || column >= static_cast<int>(found->cells.size())) return;
    std::string& target = found->cells[static_cast<std::size_t>(column)];
    if (target == text) return;
    target.assign(text);
  }
  NotifyChanged();
}

void TableStore::ForEachRowCounters(const std::function<void(RowCounters&)>& visit) {
  std::vector<std::shared_ptr<RowCounters>> counters;
  {
    std::lock_guard lock(mutex_);
    counters.reserve(rows_.size());
    for (const Row& row : rows_) counters.push_back(row.counters);
  }
  for (const auto& each : counters) visit(*each);
}

RowId TableStore::InsertRow(int index, std::string_view target) {
  std::lock_guard lock(mutex_);
  Row row{nextId_++, std::vector<std::string>(static_cast<std::size_t>(ColumnCount(kind_))),
          std::make_shared<RowCounters>()};
  row.cells[cell::kTarget].assign(target);
  const RowId id = row.id;
  if (index < 0 || index > static_cast<int>(rows_.size())) index = static_cast<int>(rows_.size());
  rows_.insert(rows_.begin() + index, std::move(row));
  return id;
}

bool TableStore::DeleteRow(int index) {
  std::lock_guard lock(mutex_);
  if (index < 0 || index >= static_cast<int>(rows_.size())) return false;
  rows_.erase(rows_.begin() + index);
  return true;
}

void TableStore::DeleteAllRows() {
  std::lock_guard lock(mutex_);
  rows_.clear();
}

std::string TableStore::CellAt(int index, int column) const {
  std::lock_guard lock(mutex_);
  if (index < 0 || index >= static_cast<int>(rows_.size())) return {};
  const auto& cells = rows_[static_cast<std::size_t>(index)].cells;
  if (column < 0 || column >= static_cast<int>(cells.size())) return {};
  return cells[static_cast<std::size_t>(column)];
}

void TableStore::SetCellAt(int index, int column, std::string_view text) {
  RowId id = 0;
  {
    std::lock_guard lock(mutex_);
    if (index < 0 || index >= static_cast<int>(rows_.size())) return;
    id = rows_[static_cast<std::size_t>(index)].id;
  }
  SetCell(id, column, text);
}

int TableStore::IndexOf(RowId row) const {
  std::lock_guard lock(mutex_);
  const Row* found = FindLocked(row);
  return found == nullptr ? -1 : static_cast<int>(found - rows_.data());
}

std::vector<std::vector<std::string>> TableStore::Snapshot() const {
  std::lock_guard lock(mutex_);
  std::vector<std::vector<std::string>> result;
  result.reserve(rows_.size());
  for (const Row& row : rows_) result.push_back(row.cells);
  return result;
}

std::shared_ptr<const SampleRing> TableStore::History(RowId row) const {
  std::lock_guard lock(mutex_);
  const Row* found = FindLocked(row);
  if (found == nullptr) return nullptr;
  // Shares the counters' ownership, so the history lives exactly as long.
  return std::shared_ptr<const SampleRing>(found->counters, &found->counters->history);
}

std::optional<RowStatistics> TableStore::Statistics(RowId row) const {
  const auto history = History(row);
  if (!history) return std::nullopt;
  const std::vector<Sample> samples = history->Samples();
  return ComputeRowStatistics(samples);
}

void TableStore::SetCellChangedListener(std::function<void()> listener) {
  std::lock_guard lock(mutex_);
  cellChanged_ = std::move(listener);
}

void TableStore::NotifyChanged() const {
  std::function<void()> listener;
  {
    std::lock_guard lock(mutex_);
    listener = cellChanged_;
  }
  if (listener) listener();
}

}  // namespace qnc
