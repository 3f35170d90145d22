#include "core/history/row_details_model.h"

#include <utility>

#include "core/model/table_names.h"

namespace qnc {

RowDetailsModel::RowDetailsModel(TableKind table, std::string target, std::shared_ptr<const SampleRing> ring)
    : table_(table), target_(std::move(target)), samples_(std::move(ring)), scale_(ChartScaleOf({})) {}

bool RowDetailsModel::Follow() {
  if (!samples_.TakeNew()) return false;
  statistics_ = ComputeRowStatistics(Samples());
  scale_ = ChartScaleOf(Samples());
  return true;
}

std::string RowDetailsModel::WindowCaption() const {
  return "详情 - " + std::string(TableName(table_)) + " " + target_;
}

std::string RowDetailsModel::TargetLine() const { return std::string(TableName(table_)) + "：" + target_; }

}  // namespace qnc
