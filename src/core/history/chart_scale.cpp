#include "core/history/chart_scale.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace qnc {
namespace {

constexpr int kScaleLines = 5;
constexpr double kLowestTopMs = 0.1;
// Headroom above the highest latency shown, so the line does not run along
// the top edge.
constexpr double kHeadroom = 1.1;
// Latencies more than this many times the 95th percentile are spikes, not the
// usual range; the scale then ends at this many times that percentile.
constexpr double kSpikeFactor = 3.0;
constexpr double kCappedTopFactor = 1.5;
constexpr double kUsualShare = 0.95;

// The step of a scale with at most kScaleLines lines up to `top`: 1, 2 or 5
// times a power of ten.
double StepFor(double top) {
  const double rough = top / kScaleLines;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  for (const double factor : {1.0, 2.0, 5.0}) {
    if (factor * power >= rough * (1 - 1e-9)) return factor * power;
  }
  return 10 * power;
}

// The value below which `share` of the sorted values lie (nearest rank).
double Percentile(const std::vector<double>& sorted, double share) {
  const auto rank = static_cast<std::size_t>(std::ceil(share * static_cast<double>(sorted.size())));
  return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

}  // namespace

std::string ScaleLabel(double valueMs, double stepMs) {
  // A step of 10^k (times 1, 2 or 5) needs -k decimals below one.
  const int decimals = stepMs >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(stepMs) - 1e-9));
  char text[64];
  std::snprintf(text, sizeof text, "%.*f ms", decimals, valueMs);
  return text;
}

LatencyScale ComputeLatencyScale(std::span<const double> latenciesMs) {
  std::vector<double> sorted;
  sorted.reserve(latenciesMs.size());
  for (const double latency : latenciesMs) {
    if (std::isfinite(latency) && latency >= 0) sorted.push_back(latency);
  }
  std::sort(sorted.begin(), sorted.end());

  LatencyScale scale;
  scale.highestMs = sorted.empty() ? 0 : sorted.back();
  double wanted = std::max(kLowestTopMs, scale.highestMs * kHeadroom);
  if (!sorted.empty()) {
    const double usual = Percentile(sorted, kUsualShare);
    if (scale.highestMs > kSpikeFactor * usual) wanted = std::max(kLowestTopMs, usual * kCappedTopFactor);
  }
  scale.stepMs = StepFor(wanted);
  const auto lines = static_cast<int>(std::ceil(wanted / scale.stepMs - 1e-9));
  scale.topMs = lines * scale.stepMs;
  for (int line = 0; line <= lines; ++line) {
    scale.lineValuesMs.push_back(line * scale.stepMs);
    scale.lineLabels.push_back(ScaleLabel(line * scale.stepMs, scale.stepMs));
  }
  scale.aboveTop = static_cast<std::size_t>(sorted.end() - std::upper_bound(sorted.begin(), sorted.end(), scale.topMs));
  scale.capped = scale.aboveTop > 0;
  return scale;
}

}  // namespace qnc
