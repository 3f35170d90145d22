#include "qt/app/table_copy.h"

#include <QAbstractItemModel>
#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QStringList>
#include <QTableView>
#include <algorithm>

namespace qnc {

namespace {

QString CellText(QVariant value) {
  QString text = value.toString();
  for (QChar& each : text) {
    if (each == QLatin1Char('\t') || each == QLatin1Char('\n') || each == QLatin1Char('\r')) each = QLatin1Char(' ');
  }
  return text;
}

// Catches the copy key before the view's own handling, which would copy the
// current cell alone.
class RowCopyFilter final : public QObject {
 public:
  explicit RowCopyFilter(QTableView& view) : QObject(&view), view_(view) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != &view_ || event->type() != QEvent::KeyPress) return false;
    if (!static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) return false;
    CopyRows();
    return true;
  }

 private:
  void CopyRows() const {
    std::vector<int> rows;
    if (const QItemSelectionModel* selection = view_.selectionModel(); selection != nullptr) {
      for (const QModelIndex& index : selection->selectedRows()) rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    QGuiApplication::clipboard()->setText(TableAsText(*view_.model(), rows));
  }

  QTableView& view_;
};

}  // namespace

QString TableAsText(const QAbstractItemModel& model, const std::vector<int>& rows) {
  const int columns = model.columnCount();
  QStringList lines;
  QStringList cells;
  for (int column = 0; column < columns; ++column) {
    cells << CellText(model.headerData(column, Qt::Horizontal, Qt::DisplayRole));
  }
  lines << cells.join(QLatin1Char('\t'));
  const auto addRow = [&](int row) {
    cells.clear();
    for (int column = 0; column < columns; ++column) cells << CellText(model.index(row, column).data());
    lines << cells.join(QLatin1Char('\t'));
  };
  if (rows.empty()) {
    for (int row = 0; row < model.rowCount(); ++row) addRow(row);
  } else {
    for (const int row : rows) {
      if (row >= 0 && row < model.rowCount()) addRow(row);
    }
  }
  return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void EnableRowCopy(QTableView& view) { view.installEventFilter(new RowCopyFilter(view)); }

}  // namespace qnc
