#pragma once
#include <QAbstractTableModel>
#include <QString>
#include <atomic>
#include <string>
#include <string_view>
#include <thread>

#include "core/probe/row_editor.h"
#include "core/probe/table_store.h"
#include "qt/widgets/window_thread_call.h"

namespace qnc {

// Presents one table store to a list view. Workers write cells straight into
// the store from their own threads; the store's listener marks the model dirty
// and posts at most one queued refresh at a time, which the GUI thread turns
// into one dataChanged for the whole table. Rows are inserted and removed only
// on the GUI thread, through this model, inside the begin/end calls.
class ProbeTableModel final : public QAbstractTableModel, public RowEditor {
  Q_OBJECT

 public:
  explicit ProbeTableModel(TableStore& store, QObject* parent = nullptr);
  ~ProbeTableModel() override;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  TableKind Kind() const { return store_.Kind(); }
  const TableStore& Store() const { return store_; }

  // Row edits, GUI thread only. An index outside 0..rowCount() appends.
  RowId InsertRow(int index, std::string_view target) override;
  RowId AppendRow(std::string_view target) { return InsertRow(rowCount(), target); }
  void SetCell(int row, int column, std::string_view text);
  // Removes the row and its counters; false when there is no such row.
  bool DeleteRow(int index) override;
  void DeleteAllRows() override;
  // The tooltip of every cell, such as why the rows cannot be measured;
  // empty: none. Each row's tooltip also gives the reason its latest probe
  // failed, when it did.
  void SetRowToolTip(const QString& text);

 signals:
  // After the view has been told of the cells that workers changed.
  void cellsRefreshed();  // NOLINT(readability-identifier-naming): a Qt signal, named as Qt's are

 private slots:
  void RefreshChangedCells();

 private:
  void OnStoreCellChanged();
  QVariant ToolTip(int row) const;

  TableStore& store_;
  const std::thread::id guiThread_;
  WindowThreadCall* refreshCall_;  // a child of the model
  std::atomic<bool> refreshPending_{false};
  std::atomic<bool> workerHasWritten_{false};
  std::string rowToolTipUtf8_;
};

}  // namespace qnc
