#include "qt/history/row_details_window.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "core/probe/table_schema.h"
#include "core/probe/table_store.h"
#include "qt/history/latency_chart.h"
#include "views/templates/history_templates.h"

namespace qnc {

namespace {

constexpr int kFollowIntervalMs = 1000;

QString Text(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// The folder of the file last exported to during this run: the next export
// dialog opens there, the first one in the home folder (not the process's
// working folder, which for a desktop launch is wherever the launcher was).
QString& LastExportFolder() {
  static QString folder;
  return folder;
}

}  // namespace

RowDetailsWindow::RowDetailsWindow(TableStore& table, RowId row, QWidget* parent)
    : TemplateDialog(RowDetailsDialogTemplate(), parent),
      table_(table),
      row_(row),
      model_(table.Kind(), table.Cell(row, cell::kTarget), table.History(row)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  setWindowTitle(Text(model_.WindowCaption()));
  ControlAs<QLabel>(id::kDetailsTargetLabel)->setText(Text(model_.TargetLine()));
  chart_ = new LatencyChart(model_, ClientArea());
  chart_->setGeometry(ControlRect(id::kDetailsChart));
  SetUpFailureList();
  connect(ControlAs<QPushButton>(id::kDetailsExportButton), &QPushButton::clicked, this,
          &RowDetailsWindow::ChooseExportFile);

  ShowModel();
  Follow();
  timer_ = new QTimer(this);
  timer_->setInterval(kFollowIntervalMs);
  connect(timer_, &QTimer::timeout, this, &RowDetailsWindow::Follow);
  timer_->start();
}

RowDetailsWindow::~RowDetailsWindow() {
#if defined(__GLIBC__)
  // The copies of the samples and the failure list go in many blocks that the
  // C library keeps for reuse; once the window's children are gone too,
  // handing the free pages back lets the memory return after the window
  // closes.
  QTimer::singleShot(0, QCoreApplication::instance(), [] { malloc_trim(0); });
#endif
}

void RowDetailsWindow::SetUpFailureList() {
  auto* view = ControlAs<QTableView>(id::kDetailsFailureList);
  const auto& columns = FailureListColumns();
  failures_ = new QStandardItemModel(0, static_cast<int>(columns.size()), view);
  for (int column = 0; column < static_cast<int>(columns.size()); ++column) {
    failures_->setHeaderData(column, Qt::Horizontal,
                             QString::fromUtf8(columns[static_cast<std::size_t>(column)].caption));
  }
  view->setModel(failures_);
  view->setShowGrid(false);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setWordWrap(false);
  view->setTabKeyNavigation(false);
  view->verticalHeader()->hide();
  view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 2);
  view->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  view->horizontalHeader()->setHighlightSections(false);
  view->horizontalHeader()->setStretchLastSection(true);
  for (int column = 0; column < static_cast<int>(columns.size()); ++column) {
    view->setColumnWidth(column, columns[static_cast<std::size_t>(column)].widthPx);
  }
}

void RowDetailsWindow::Follow() {
  if (!model_.HasRow() || table_.IndexOf(row_) < 0) {
    // The row has been deleted (or the table cleared): nothing left to show.
    if (timer_ != nullptr) timer_->stop();
    close();
    return;
  }
  if (!model_.Follow()) return;
  ShowModel();
  emit followed();
}

void RowDetailsWindow::ShowModel() {
  const std::vector<StatisticRow> statistics = model_.StatisticRows();
  for (std::size_t at = 0; at < statistics.size(); ++at) {
    ControlAs<QLabel>(id::kDetailsFirstStatistic + static_cast<int>(at))->setText(Text(statistics[at].value));
  }
  const std::vector<FailureRow> rows = model_.RecentFailures();
  failures_->setRowCount(0);
  failures_->setRowCount(static_cast<int>(rows.size()));
  for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
    const FailureRow& failure = rows[static_cast<std::size_t>(row)];
    failures_->setItem(row, 0, new QStandardItem(Text(failure.time)));
    failures_->setItem(row, 1, new QStandardItem(Text(failure.reason)));
    failures_->setItem(row, 2, new QStandardItem(Text(failure.duration)));
  }
  chart_->update();
}

void RowDetailsWindow::ChooseExportFile() {
  QFileDialog dialog(this, QStringLiteral("导出 CSV"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("csv"));
  dialog.setNameFilter(QStringLiteral("CSV (*.csv)"));
  dialog.setDirectory(LastExportFolder().isEmpty() ? QDir::homePath() : LastExportFolder());
  dialog.selectFile(Text(model_.CsvFileName()));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString chosen = dialog.selectedFiles().front();
  LastExportFolder() = QFileInfo(chosen).absolutePath();
  ExportCsv(chosen);
}

bool RowDetailsWindow::ExportCsv(const QString& path) {
  const CsvExportResult result = model_.ExportCsv(path.toStdString());
  auto* message = ControlAs<QLabel>(id::kDetailsExportMessage);
  message->setStyleSheet(result.written ? QString() : QStringLiteral("color: #c62828;"));
  message->setText(Text(result.message));
  return result.written;
}

}  // namespace qnc
