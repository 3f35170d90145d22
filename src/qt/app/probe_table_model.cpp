#include "qt/app/probe_table_model.h"

#include <QLoggingCategory>
#include <QMetaObject>

#include "core/probe/table_schema.h"
#include "views/commands/row_tip_text.h"
#include "views/templates/table_columns.h"

// Start-up diagnostics, off unless enabled through Qt's logging rules
// ("qnc.app.startup.info=true"): the moment the first worker result reaches a table.
Q_LOGGING_CATEGORY(lcAppStartup, "qnc.app.startup", QtWarningMsg)

namespace qnc {

namespace {
// Whether the first worker result has been logged, for all tables together
// (touched on the GUI thread only).
bool firstWorkerUpdateLogged = false;
}  // namespace

ProbeTableModel::ProbeTableModel(TableStore& store, QObject* parent)
    : QAbstractTableModel(parent),
      store_(store),
      guiThread_(std::this_thread::get_id()),
      refreshCall_(new WindowThreadCall(this)) {
  store_.SetCellChangedListener([this] { OnStoreCellChanged(); });
}

ProbeTableModel::~ProbeTableModel() { store_.SetCellChangedListener(nullptr); }

void ProbeTableModel::OnStoreCellChanged() {
  // Runs on whichever thread wrote the cell, outside the store's lock.
  if (std::this_thread::get_id() != guiThread_) workerHasWritten_.store(true, std::memory_order_relaxed);
  if (refreshPending_.exchange(true)) return;  // a refresh is already on its way
  refreshCall_->Post([this] { RefreshChangedCells(); });
}

void ProbeTableModel::RefreshChangedCells() {
  // Cleared before reading, so a write that lands during the refresh posts another.
  refreshPending_.store(false);
  const int rows = rowCount();
  if (rows > 0) emit dataChanged(index(0, 0), index(rows - 1, columnCount() - 1), {Qt::DisplayRole});
  if (!firstWorkerUpdateLogged && workerHasWritten_.load(std::memory_order_relaxed)) {
    firstWorkerUpdateLogged = true;
    qCInfo(lcAppStartup, "first table update");
  }
  emit cellsRefreshed();
}

int ProbeTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : store_.RowCount(); }

int ProbeTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount(store_.Kind());
}

namespace {

QVariant ColumnAlignment(TableKind kind, int column) {
  const auto& columns = TableColumns(kind);
  const bool centred =
      column >= 0 && column < static_cast<int>(columns.size()) && columns[static_cast<std::size_t>(column)].centred;
  return QVariant::fromValue(Qt::Alignment(centred ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignVCenter)));
}

}  // namespace

QVariant ProbeTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::DisplayRole) return QString::fromStdString(store_.CellAt(index.row(), index.column()));
  if (role == Qt::TextAlignmentRole) return ColumnAlignment(store_.Kind(), index.column());
  if (role == Qt::ToolTipRole) return ToolTip(index.row());
  return {};
}

QVariant ProbeTableModel::ToolTip(int row) const {
  const std::string text = RowTipText(store_, row, rowToolTipUtf8_);
  return text.empty() ? QVariant() : QVariant(QString::fromStdString(text));
}

QVariant ProbeTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  if (section < 0 || section >= columnCount()) return {};
  if (role == Qt::DisplayRole) {
    const std::string_view caption = SchemaOf(store_.Kind()).columns[static_cast<std::size_t>(section)].caption;
    return QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
  }
  if (role == Qt::TextAlignmentRole) return ColumnAlignment(store_.Kind(), section);
  return {};
}

Qt::ItemFlags ProbeTableModel::flags(const QModelIndex& index) const {
  return index.isValid() ? (Qt::ItemIsEnabled | Qt::ItemIsSelectable) : Qt::NoItemFlags;
}

RowId ProbeTableModel::InsertRow(int index, std::string_view target) {
  const int rows = rowCount();
  if (index < 0 || index > rows) index = rows;
  beginInsertRows({}, index, index);
  const RowId id = store_.InsertRow(index, target);
  endInsertRows();
  return id;
}

void ProbeTableModel::SetCell(int row, int column, std::string_view text) {
  store_.SetCellAt(row, column, text);
  const QModelIndex changed = index(row, column);
  if (changed.isValid()) emit dataChanged(changed, changed, {Qt::DisplayRole});
}

bool ProbeTableModel::DeleteRow(int index) {
  if (index < 0 || index >= rowCount()) return false;
  beginRemoveRows({}, index, index);
  const bool removed = store_.DeleteRow(index);
  endRemoveRows();
  return removed;
}

void ProbeTableModel::SetRowToolTip(const QString& text) {
  rowToolTipUtf8_ = text.toStdString();
  const int rows = rowCount();
  if (rows > 0) emit dataChanged(index(0, 0), index(rows - 1, columnCount() - 1), {Qt::ToolTipRole});
}

void ProbeTableModel::DeleteAllRows() {
  beginResetModel();
  store_.DeleteAllRows();
  endResetModel();
}

}  // namespace qnc
