#pragma once
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/probe/probe_table.h"
#include "core/probe/row_editor.h"
#include "core/probe/row_statistics.h"
#include "core/probe/sample_ring.h"

namespace qnc {

// The rows of one table, shared by its worker and whoever presents it (the
// window's model, the command-line front end, tests). One mutex guards the
// rows; each operation holds it only for itself. Rows carry their counters, so
// deleting a row drops its counters and every later row keeps its own.
class TableStore final : public ProbeTable, public RowEditor {
 public:
  explicit TableStore(TableKind kind);

  TableKind Kind() const override { return kind_; }
  int RowCount() const override;
  RowRef RowAt(int index) const override;
  std::string Cell(RowId row, int column) const override;
  void SetCell(RowId row, int column, std::string_view text) override;
  void ForEachRowCounters(const std::function<void(RowCounters&)>& visit) override;

  // Row edits; the window makes them on its own thread only.
  RowId InsertRow(int index, std::string_view target) override;
  bool DeleteRow(int index) override;
  void DeleteAllRows() override;

  // Reads by position, for presenting the table.
  std::string CellAt(int index, int column) const;
  void SetCellAt(int index, int column, std::string_view text);
  int IndexOf(RowId row) const;  // -1 when gone
  std::vector<std::vector<std::string>> Snapshot() const;

  // The history of a row's latest probes, shared with the row: it stays
  // readable after the row goes, and a counter reset clears it. Null when no
  // row has this identity.
  std::shared_ptr<const SampleRing> History(RowId row) const;
  // The statistics of a row's history; nothing when no row has this identity.
  std::optional<RowStatistics> Statistics(RowId row) const;

  // Called, outside the lock and on the writing thread, after any cell of an
  // existing row has changed. Set it before workers start.
  void SetCellChangedListener(std::function<void()> listener);

 private:
  struct Row {
    RowId id;
    std::vector<std::string> cells;
    std::shared_ptr<RowCounters> counters;
  };
  const Row* FindLocked(RowId id) const;
  void NotifyChanged() const;

  const TableKind kind_;
  mutable std::mutex mutex_;
  std::vector<Row> rows_;
  RowId nextId_ = 1;
  std::function<void()> cellChanged_;
};

}  // namespace qnc
