#pragma once
#include <QString>

#include "core/history/row_details_model.h"
#include "core/probe/probe_table.h"
#include "qt/widgets/template_dialog.h"

class QStandardItemModel;
class QTimer;

namespace qnc {

class LatencyChart;
class TableStore;

// A window on one row of a measured table (RowDetailsDialogTemplate): it
// shows what the row's RowDetailsModel gives, follows the row every second,
// and closes itself once the row is gone. "导出 CSV" asks for a file and
// exports to it. Not modal; deleted when closed.
class RowDetailsWindow final : public TemplateDialog {
  Q_OBJECT

 public:
  // `table` must outlive the window (the main window deletes its details
  // windows before its tables go).
  RowDetailsWindow(TableStore& table, RowId row, QWidget* parent = nullptr);
  ~RowDetailsWindow() override;

  TableKind Kind() const { return model_.Table(); }
  RowId Row() const { return row_; }
  // The samples shown, oldest first, and their statistics.
  const std::vector<Sample>& Samples() const { return model_.Samples(); }
  const RowStatistics& Statistics() const { return model_.Statistics(); }
  LatencyChart& Chart() const { return *chart_; }

  // Takes the row's new samples now (the timer does it every second); closes
  // the window when the row no longer exists.
  void Follow();
  // Writes the samples shown to `path` as CSV (see ExportCsv in
  // core/history/csv_export.h) and shows how it went. True when written.
  bool ExportCsv(const QString& path);

 signals:
  // After the samples shown have changed.
  void followed();

 private:
  void SetUpFailureList();
  void ShowModel();
  void ChooseExportFile();

  TableStore& table_;
  const RowId row_;
  RowDetailsModel model_;
  LatencyChart* chart_ = nullptr;
  QStandardItemModel* failures_ = nullptr;
  QTimer* timer_ = nullptr;
};

}  // namespace qnc
