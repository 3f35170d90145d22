#include "core/diagnosis/latency_under_load.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace qnc {

LatencyUnderLoad MeasureLatencyUnderLoad(std::span<const Sample> samples, const LoadPeriods& periods) {
  std::vector<Sample> idle;
  std::vector<Sample> loaded;
  for (const Sample& sample : samples) {
    if (sample.time >= periods.idleFrom && sample.time < periods.loadFrom) {
      idle.push_back(sample);
    } else if (sample.time >= periods.loadFrom && sample.time < periods.loadUntil) {
      loaded.push_back(sample);
    }
  }
  LatencyUnderLoad result{ComputeRowStatistics(idle), ComputeRowStatistics(loaded), std::nullopt};
  if (result.idle.medianMs && result.loaded.medianMs) {
    // A load never makes the link faster: a median a little lower under load is noise, not a gain.
    result.addedMs = std::max(0.0, *result.loaded.medianMs - *result.idle.medianMs);
  }
  return result;
}

std::string_view LoadGrade(double addedMs) {
  if (addedMs <= 5) return "非常好";
  if (addedMs <= 30) return "好";
  if (addedMs <= 60) return "一般";
  return "差";
}

std::string LatencyUnderLoadText(const LatencyUnderLoad& result) {
  if (!result.addedMs) return "负载下延迟：测量不足";
  const long added = std::lround(*result.addedMs);
  return "负载下延迟增加 " + std::to_string(added) + " ms：" + std::string(LoadGrade(*result.addedMs));
}

}  // namespace qnc
