#include "qt/app/report_view.h"

#include <QEvent>
#include <QHeaderView>
#include <QLoggingCategory>
#include <QTableView>

#include "qt/app/probe_table_model.h"
#include "qt/app/table_copy.h"
#include "views/templates/table_columns.h"

Q_DECLARE_LOGGING_CATEGORY(lcAppStartup)

namespace qnc {

namespace {

// Notes (in the start-up log, see probe_table_model.cpp) the moment the first
// of the tables starts painting rows: the start-up benchmark's mark of a
// window ready to read.
class FirstPaintedRowNote final : public QObject {
 public:
  explicit FirstPaintedRowNote(QTableView& view) : QObject(&view), view_(view) {
    view.viewport()->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && view_.model()->rowCount() > 0) {
      static bool noted = false;  // for all tables together, on the GUI thread
      if (!noted) qCInfo(lcAppStartup, "first painted row");
      noted = true;
      watched->removeEventFilter(this);
    }
    return false;
  }

 private:
  QTableView& view_;
};

}  // namespace

void SetUpReportView(QTableView& view, ProbeTableModel& model) {
  view.setModel(&model);
  view.setShowGrid(true);
  view.setSelectionBehavior(QAbstractItemView::SelectRows);
  view.setSelectionMode(QAbstractItemView::ExtendedSelection);
  view.setEditTriggers(QAbstractItemView::NoEditTriggers);
  view.setTabKeyNavigation(false);
  view.setWordWrap(false);
  view.setCornerButtonEnabled(false);
  view.setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  view.setContextMenuPolicy(Qt::CustomContextMenu);
  EnableRowCopy(view);
  new FirstPaintedRowNote(view);

  QHeaderView& rows = *view.verticalHeader();
  rows.hide();
  rows.setSectionResizeMode(QHeaderView::Fixed);
  rows.setMinimumSectionSize(1);
  rows.setDefaultSectionSize(view.fontMetrics().height() + 4);

  QHeaderView& columns = *view.horizontalHeader();
  columns.setSectionsMovable(false);
  columns.setHighlightSections(false);
  columns.setStretchLastSection(false);
  columns.setSectionResizeMode(QHeaderView::Interactive);
  const auto& layout = TableColumns(model.Kind());
  for (int column = 0; column < static_cast<int>(layout.size()); ++column) {
    view.setColumnWidth(column, layout[static_cast<std::size_t>(column)].widthPx);
  }
}

}  // namespace qnc
