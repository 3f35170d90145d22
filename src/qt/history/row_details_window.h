#pragma once
#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/probe/probe_table.h"
#include "core/probe/row_statistics.h"
#include "core/probe/sample.h"
#include "core/probe/sample_ring.h"

class QLabel;
class QPushButton;
class QTimer;
class QTreeWidget;

namespace qnc {

class LatencyChart;
class TableStore;

// The object names by which tests and the screenshot script find the parts.
inline constexpr const char* kRowDetailsWindowName = "rowDetailsWindow";
inline constexpr const char* kExportCsvButtonName = "exportCsvButton";
inline constexpr const char* kExportMessageName = "exportMessage";
inline constexpr const char* kFailureListName = "recentFailures";

// A window on one row of a measured table: its latency over time with the
// failures marked, the statistics of its kept samples, its recent failures
// with their reasons, and "导出 CSV" of the samples. It follows the row: every
// second it takes the samples that came since its last look (a copy of a few
// at a time, so the window's thread never waits on a worker for long), and it
// closes itself once the row is gone. Not modal; deleted when closed.
class RowDetailsWindow final : public QWidget {
  Q_OBJECT

 public:
  // `table` must outlive the window (the main window deletes its details
  // windows before its tables go).
  RowDetailsWindow(TableStore& table, RowId row, QWidget* parent = nullptr);
  ~RowDetailsWindow() override;

  TableKind Kind() const { return kind_; }
  RowId Row() const { return row_; }
  // The samples shown, oldest first, and their statistics.
  const std::vector<Sample>& Samples() const { return samples_; }
  const RowStatistics& Statistics() const { return statistics_; }
  LatencyChart& Chart() const { return *chart_; }

  // Takes the row's new samples now (the timer does it every second); closes
  // the window when the row no longer exists.
  void Follow();
  // Writes the samples shown to `path` as CSV, whole or not at all, into a new
  // file or in place of a regular one; a FIFO, a device, a folder or a
  // symbolic link there is refused and left as it is. A failure is shown in
  // the window. True when written.
  bool ExportCsv(const QString& path);

 signals:
  // After the samples shown have changed.
  void followed();  // NOLINT(readability-identifier-naming): a Qt signal, named as Qt's are

 private:
  void BuildLayout();
  void TakeSamples();
  void ShowStatistics();
  void ShowFailures();
  void ChooseExportFile();
  void ShowMessage(const QString& text, bool failure);

  TableStore& table_;
  const RowId row_;
  const TableKind kind_;
  // Shared with the row: still readable for the moment after the row goes.
  std::shared_ptr<const SampleRing> history_;
  std::vector<Sample> samples_;
  std::uint64_t nextSequence_ = 0;
  std::uint64_t generation_ = 0;
  RowStatistics statistics_;

  LatencyChart* chart_ = nullptr;
  QLabel* target_ = nullptr;
  std::vector<QLabel*> figures_;
  QTreeWidget* failures_ = nullptr;
  QPushButton* export_ = nullptr;
  QLabel* message_ = nullptr;
  QTimer* timer_ = nullptr;
};

}  // namespace qnc
