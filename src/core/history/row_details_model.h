#pragma once
#include <memory>
#include <string>
#include <vector>

#include "core/history/chart_scale.h"
#include "core/history/csv_export.h"
#include "core/history/failure_rows.h"
#include "core/history/followed_samples.h"
#include "core/history/latency_chart_data.h"
#include "core/history/statistic_rows.h"
#include "core/model/table_kind.h"
#include "core/probe/row_statistics.h"

namespace qnc {

// Everything a row's details window shows, without the window: the row's
// samples that it follows, their statistics, the chart, the recent failures
// and the CSV export. A front end calls Follow every second and renders what
// it gives.
class RowDetailsModel {
 public:
  // `ring`: the row's samples, shared with the row (null: the row is gone).
  RowDetailsModel(TableKind table, std::string target, std::shared_ptr<const SampleRing> ring);

  TableKind Table() const { return table_; }
  const std::string& Target() const { return target_; }
  // False when the row was gone before the model was made: nothing to follow.
  bool HasRow() const { return samples_.HasRing(); }

  // Takes the row's new samples and works their statistics and chart scale
  // out again; true when anything changed.
  bool Follow();

  // Oldest first; at most the ring's size.
  const std::vector<Sample>& Samples() const { return samples_.Samples(); }
  std::size_t Capacity() const { return samples_.Capacity(); }
  const RowStatistics& Statistics() const { return statistics_; }
  const LatencyScale& Scale() const { return scale_; }

  // The window's caption: "详情 - 游戏表 lpl.qq.com:443".
  std::string WindowCaption() const;
  // The line above the chart: "游戏表：lpl.qq.com:443".
  std::string TargetLine() const;
  std::vector<StatisticRow> StatisticRows() const { return StatisticRowsOf(statistics_); }
  std::vector<FailureRow> RecentFailures() const { return RecentFailureRows(Samples()); }
  LatencyChartData Chart(int plotWidthPx, int plotHeightPx) const {
    return ChartDataOf(Samples(), scale_, plotWidthPx, plotHeightPx);
  }

  // What the export offers as the file's name.
  std::string CsvFileName() const { return qnc::CsvFileName(table_, target_); }
  // Writes the samples shown to `path` (UTF-8); see ExportCsv.
  CsvExportResult ExportCsv(const std::string& path) const { return qnc::ExportCsv(path, table_, target_, Samples()); }

 private:
  const TableKind table_;
  const std::string target_;
  FollowedSamples samples_;
  RowStatistics statistics_;
  LatencyScale scale_;
};

}  // namespace qnc
