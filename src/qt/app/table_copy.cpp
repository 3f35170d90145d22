#include "qt/app/table_copy.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QTableView>
#include <vector>

#include "qt/app/probe_table_model.h"
#include "views/commands/table_copy_text.h"

namespace qnc {

namespace {

// Catches the copy key before the view's own handling, which would copy the
// current cell alone.
class RowCopyFilter final : public QObject {
 public:
  explicit RowCopyFilter(QTableView& view) : QObject(&view), view_(view) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != &view_ || event->type() != QEvent::KeyPress) return false;
    if (!static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) return false;
    const auto* model = qobject_cast<const ProbeTableModel*>(view_.model());
    if (model == nullptr) return false;
    CopyRows(*model);
    return true;
  }

 private:
  void CopyRows(const ProbeTableModel& model) const {
    std::vector<int> rows;
    if (const QItemSelectionModel* selection = view_.selectionModel(); selection != nullptr) {
      for (const QModelIndex& index : selection->selectedRows()) rows.push_back(index.row());
    }
    QGuiApplication::clipboard()->setText(QString::fromStdString(TableCopyText(model.Store(), rows)));
  }

  QTableView& view_;
};

}  // namespace

void EnableRowCopy(QTableView& view) { view.installEventFilter(new RowCopyFilter(view)); }

}  // namespace qnc
