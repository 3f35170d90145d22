#include "app/report_view.h"

#include <QHeaderView>
#include <QTableView>

#include "app/probe_table_model.h"
#include "app/table_copy.h"
#include "ui/table_columns.h"

namespace qnc {

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
