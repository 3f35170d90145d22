#include "qt/history/row_details_window.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <system_error>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "core/config/file_io.h"
#include "core/model/table_names.h"
#include "core/probe/failure_reason.h"
#include "core/probe/sample_csv.h"
#include "core/probe/table_schema.h"
#include "core/probe/table_store.h"
#include "qt/history/latency_chart.h"

namespace qnc {

namespace {

constexpr int kFollowIntervalMs = 1000;
// The failure list shows the newest ones; the chart and the export have all.
constexpr int kShownFailures = 100;

// Two decimals under a millisecond (a LAN), one under 100 ms, none above.
QString Milliseconds(double value) {
  return QStringLiteral("%1 ms").arg(value, 0, 'f', value < 1 ? 2 : (value < 100 ? 1 : 0));
}

QString Milliseconds(const std::optional<double>& value) { return value ? Milliseconds(*value) : QStringLiteral("—"); }

QString TimeText(std::chrono::system_clock::time_point time) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
  return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString Text(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString ReasonText(FailureReason reason) { return Text(FailureText(reason)); }

// The folder of the file last exported to during this run: the next export
// dialog opens there, the first one in the home folder (not the process's
// working folder, which for a desktop launch is wherever the launcher was).
QString& LastExportFolder() {
  static QString folder;
  return folder;
}

// Why `path` may not be exported to, or nothing: only a new file or a regular
// one is written. A FIFO, a device node, a folder or a symbolic link is left
// as it is rather than replaced by a regular file (or, through a link, some
// file elsewhere).
std::optional<QString> RefusedTarget(const std::string& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::symlink_status(path, error);
  if (error && status.type() != std::filesystem::file_type::not_found) return QStringLiteral("无法读取其状态");
  switch (status.type()) {
    case std::filesystem::file_type::not_found:
    case std::filesystem::file_type::regular:
      return std::nullopt;
    case std::filesystem::file_type::directory:
      return QStringLiteral("这是一个文件夹");
    case std::filesystem::file_type::symlink:
      return QStringLiteral("这是一个符号链接");
    default:
      return QStringLiteral("这不是普通文件");
  }
}

ChartPoint PointOf(const Sample& sample) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sample.time.time_since_epoch()).count();
  return sample.Answered() ? ChartPoint{ms, sample.RoundTripMs()} : ChartPoint{ms, std::nullopt};
}

// The captions of the statistics grid, three to a line.
const std::vector<const char*>& FigureCaptions() {
  static const std::vector<const char*> captions{"样本数", "成功", "丢包率",       "最近一次",        "平均",
                                                 "抖动",   "最小", "最大",         "标准差",          "中位数",
                                                 "95%",    "99%",  "最近一次失败", "最常见的失败原因"};
  return captions;
}

// What "导出 CSV" offers as the file's name: the table and the target, with
// the characters that no file name may hold replaced.
QString CsvFileName(TableKind kind, const std::string& target) {
  QString name = Text(SchemaOf(kind).name) + QLatin1Char('-') + QString::fromStdString(target);
  static const QString kUnsafe = QStringLiteral("/\\:*?\"<>|");
  for (QChar& each : name) {
    if (kUnsafe.contains(each) || each.unicode() < 0x20) each = QLatin1Char('_');
  }
  return name + QStringLiteral(".csv");
}

std::string CsvText(TableKind kind, const std::string& target, const std::vector<Sample>& samples) {
  std::string text(SampleCsvHeader());
  for (const Sample& sample : samples) text += FormatSampleCsv(kind, target, sample);
  return text;
}

}  // namespace

RowDetailsWindow::RowDetailsWindow(TableStore& table, RowId row, QWidget* parent)
    : QWidget(parent, Qt::Window), table_(table), row_(row), kind_(table.Kind()) {
  setObjectName(QString::fromLatin1(kRowDetailsWindowName));
  setAttribute(Qt::WA_DeleteOnClose);
  history_ = table_.History(row_);
  const QString target = QString::fromStdString(table_.Cell(row_, cell::kTarget));
  setWindowTitle(QStringLiteral("详情 - %1 %2").arg(Text(TableName(kind_)), target));
  BuildLayout();
  target_->setText(QStringLiteral("%1：%2").arg(Text(TableName(kind_)), target));

  Follow();
  timer_ = new QTimer(this);
  timer_->setInterval(kFollowIntervalMs);
  connect(timer_, &QTimer::timeout, this, &RowDetailsWindow::Follow);
  timer_->start();
}

RowDetailsWindow::~RowDetailsWindow() {
#if defined(__GLIBC__)
  // The copies of the samples, the chart and the failure list go in many
  // blocks that the C library keeps for reuse; once the window's children are
  // gone too, handing the free pages back lets the memory return after the
  // window closes.
  QTimer::singleShot(0, QCoreApplication::instance(), [] { malloc_trim(0); });
#endif
}

void RowDetailsWindow::BuildLayout() {
  auto* layout = new QVBoxLayout(this);
  target_ = new QLabel(this);
  QFont bold = target_->font();
  bold.setBold(true);
  target_->setFont(bold);
  target_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(target_);

  chart_ = new LatencyChart(history_ ? history_->Capacity() : SampleRing::kDefaultCapacity, this);
  layout->addWidget(chart_, 3);

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(12);
  const auto& captions = FigureCaptions();
  for (std::size_t at = 0; at < captions.size(); ++at) {
    const int line = static_cast<int>(at / 3);
    const int column = static_cast<int>(at % 3) * 2;
    grid->addWidget(new QLabel(QString::fromUtf8(captions[at]) + QStringLiteral("："), this), line, column,
                    Qt::AlignRight);
    auto* value = new QLabel(this);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(value, line, column + 1);
    figures_.push_back(value);
  }
  for (const int column : {1, 3, 5}) grid->setColumnStretch(column, 1);
  layout->addLayout(grid);

  layout->addWidget(new QLabel(QStringLiteral("最近的失败（最新的在上）："), this));
  failures_ = new QTreeWidget(this);
  failures_->setObjectName(QString::fromLatin1(kFailureListName));
  failures_->setRootIsDecorated(false);
  failures_->setHeaderLabels({QStringLiteral("时间"), QStringLiteral("原因"), QStringLiteral("用时")});
  failures_->header()->setStretchLastSection(true);
  failures_->setColumnWidth(0, failures_->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00 00:00:00")) + 24);
  failures_->setColumnWidth(1, failures_->fontMetrics().horizontalAdvance(QStringLiteral("没有权限发送 ping")) + 24);
  layout->addWidget(failures_, 2);

  auto* bottom = new QHBoxLayout;
  message_ = new QLabel(this);
  message_->setObjectName(QString::fromLatin1(kExportMessageName));
  message_->setWordWrap(true);
  message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  bottom->addWidget(message_, 1);
  export_ = new QPushButton(QStringLiteral("导出 CSV"), this);
  export_->setObjectName(QString::fromLatin1(kExportCsvButtonName));
  connect(export_, &QPushButton::clicked, this, &RowDetailsWindow::ChooseExportFile);
  bottom->addWidget(export_);
  layout->addLayout(bottom);

  resize(760, 640);
}

void RowDetailsWindow::Follow() {
  if (history_ == nullptr || table_.IndexOf(row_) < 0) {
    // The row has been deleted (or the table cleared): nothing left to show.
    if (timer_ != nullptr) timer_->stop();
    close();
    return;
  }
  TakeSamples();
}

void RowDetailsWindow::TakeSamples() {
  SampleRing::Batch batch = history_->After(nextSequence_);
  const bool restart = batch.generation != generation_ || batch.missed;
  if (!restart && batch.samples.empty()) return;
  nextSequence_ = batch.next;
  generation_ = batch.generation;
  if (restart) {
    // A reset of the counters, or more new samples than the ring holds: the
    // batch is then all the ring has.
    samples_ = std::move(batch.samples);
    chart_->Clear();
    std::vector<ChartPoint> points;
    points.reserve(samples_.size());
    for (const Sample& sample : samples_) points.push_back(PointOf(sample));
    chart_->Append(points);
  } else {
    std::vector<ChartPoint> points;
    points.reserve(batch.samples.size());
    for (const Sample& sample : batch.samples) points.push_back(PointOf(sample));
    chart_->Append(points);
    samples_.insert(samples_.end(), batch.samples.begin(), batch.samples.end());
    const std::size_t capacity = history_->Capacity();
    if (samples_.size() > capacity) {
      samples_.erase(samples_.begin(), samples_.begin() + static_cast<std::ptrdiff_t>(samples_.size() - capacity));
    }
  }
  statistics_ = ComputeRowStatistics(samples_);
  ShowStatistics();
  ShowFailures();
  emit followed();
}

void RowDetailsWindow::ShowStatistics() {
  const RowStatistics& s = statistics_;
  const QString lastFailure = s.lastFailure ? TimeText(*s.lastFailure) : QStringLiteral("—");
  const QString common = s.commonFailure ? ReasonText(*s.commonFailure) : QStringLiteral("—");
  const std::vector<QString> values{
      QString::number(s.count),
      QString::number(s.answered),
      QStringLiteral("%1%").arg(s.lossPercent, 0, 'f', 2),
      s.lastOutcome && *s.lastOutcome != FailureReason::kNone ? ReasonText(*s.lastOutcome) : Milliseconds(s.lastMs),
      Milliseconds(s.meanMs),
      Milliseconds(s.jitterMs),
      Milliseconds(s.minMs),
      Milliseconds(s.maxMs),
      Milliseconds(s.stddevMs),
      Milliseconds(s.medianMs),
      Milliseconds(s.p95Ms),
      Milliseconds(s.p99Ms),
      lastFailure,
      common};
  for (std::size_t at = 0; at < figures_.size() && at < values.size(); ++at) figures_[at]->setText(values[at]);
}

void RowDetailsWindow::ShowFailures() {
  failures_->clear();
  QList<QTreeWidgetItem*> items;
  for (auto sample = samples_.rbegin(); sample != samples_.rend() && items.size() < kShownFailures; ++sample) {
    if (sample->Answered()) continue;
    items.append(new QTreeWidgetItem(
        QStringList{TimeText(sample->time), ReasonText(sample->outcome), Milliseconds(sample->RoundTripMs())}));
  }
  failures_->addTopLevelItems(items);
}

void RowDetailsWindow::ChooseExportFile() {
  QFileDialog dialog(this, QStringLiteral("导出 CSV"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("csv"));
  dialog.setNameFilter(QStringLiteral("CSV (*.csv)"));
  dialog.setDirectory(LastExportFolder().isEmpty() ? QDir::homePath() : LastExportFolder());
  dialog.selectFile(CsvFileName(kind_, table_.Cell(row_, cell::kTarget)));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString chosen = dialog.selectedFiles().front();
  LastExportFolder() = QFileInfo(chosen).absolutePath();
  ExportCsv(chosen);
}

bool RowDetailsWindow::ExportCsv(const QString& path) {
  const std::string localPath = QFile::encodeName(path).toStdString();
  const std::optional<QString> refusal = RefusedTarget(localPath);
  // The durable write puts a complete, flushed copy in the file's place in one
  // step, so a failure leaves whatever was there before.
  if (refusal || !WriteFileAtomically(localPath, CsvText(kind_, table_.Cell(row_, cell::kTarget), samples_))) {
    ShowMessage(
        QStringLiteral("导出失败：无法写入 %1（%2）").arg(path, refusal.value_or(QStringLiteral("无法写入该位置"))),
        true);
    return false;
  }
  ShowMessage(QStringLiteral("已导出 %1 个样本到 %2").arg(samples_.size()).arg(path), false);
  return true;
}

void RowDetailsWindow::ShowMessage(const QString& text, bool failure) {
  message_->setStyleSheet(failure ? QStringLiteral("color: #c62828;") : QString());
  message_->setText(text);
}

}  // namespace qnc
