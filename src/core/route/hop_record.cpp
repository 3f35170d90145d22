#include "core/route/hop_record.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace qnc {

namespace {
constexpr double kUsPerMs = 1000.0;
}

void HopRecord::Push(std::int32_t sample) {
  if (ring_.size() < capacity_) {
    ring_.push_back(sample);
    return;
  }
  ring_[next_] = sample;
  next_ = (next_ + 1) % capacity_;
}

void HopRecord::RecordAnswer(Ipv4NetOrder from, std::int64_t roundTripUs) {
  roundTripUs = std::clamp<std::int64_t>(roundTripUs, 0, std::numeric_limits<std::int32_t>::max());
  ++sent_;
  ++answered_;
  if (answered_ == 1) {
    bestUs_ = worstUs_ = roundTripUs;
  } else {
    bestUs_ = std::min(bestUs_, roundTripUs);
    worstUs_ = std::max(worstUs_, roundTripUs);
    jitterSumUs_ += static_cast<double>(std::llabs(roundTripUs - lastUs_));
  }
  lastUs_ = roundTripUs;
  const double delta = static_cast<double>(roundTripUs) - meanUs_;
  meanUs_ += delta / answered_;
  squaresUs_ += delta * (static_cast<double>(roundTripUs) - meanUs_);
  Push(static_cast<std::int32_t>(roundTripUs));
  auto known = std::find_if(responders_.begin(), responders_.end(),
                            [from](const HopResponder& responder) { return responder.address == from; });
  if (known == responders_.end()) {
    responders_.push_back({from, "", 1});
  } else {
    ++known->answers;
  }
  // Most answers first, so the first address is the one the hop usually shows.
  std::stable_sort(responders_.begin(), responders_.end(),
                   [](const HopResponder& a, const HopResponder& b) { return a.answers > b.answers; });
}

void HopRecord::RecordLoss() {
  ++sent_;
  ++lost_;
  Push(kLostSample);
}

bool HopRecord::HasResponder(Ipv4NetOrder address) const {
  return std::any_of(responders_.begin(), responders_.end(),
                     [address](const HopResponder& responder) { return responder.address == address; });
}

void HopRecord::Name(Ipv4NetOrder address, const std::string& name) {
  for (HopResponder& responder : responders_) {
    if (responder.address == address) responder.name = name;
  }
}

HopFigures HopRecord::Figures() const {
  HopFigures figures;
  figures.sent = sent_;
  figures.lost = lost_;
  figures.lossPercent = sent_ == 0 ? 0 : 100.0 * lost_ / sent_;
  figures.recentUs.reserve(ring_.size());
  for (std::size_t i = 0; i < ring_.size(); ++i) figures.recentUs.push_back(ring_[(next_ + i) % ring_.size()]);
  std::vector<std::int32_t> answered;
  for (const std::int32_t sample : figures.recentUs) {
    if (sample != kLostSample) answered.push_back(sample);
  }
  if (!figures.recentUs.empty()) {
    figures.recentLossPercent = 100.0 * static_cast<double>(figures.recentUs.size() - answered.size()) /
                                static_cast<double>(figures.recentUs.size());
  }
  if (!answered.empty()) {
    const auto middle = answered.begin() + static_cast<std::ptrdiff_t>(answered.size() / 2);
    std::nth_element(answered.begin(), middle, answered.end());
    figures.recentMedianMs = *middle / kUsPerMs;
  }
  if (answered_ == 0) return figures;
  figures.lastMs = static_cast<double>(lastUs_) / kUsPerMs;
  figures.meanMs = meanUs_ / kUsPerMs;
  figures.bestMs = static_cast<double>(bestUs_) / kUsPerMs;
  figures.worstMs = static_cast<double>(worstUs_) / kUsPerMs;
  figures.stdDevMs = answered_ > 1 ? std::sqrt(squaresUs_ / (answered_ - 1)) / kUsPerMs : 0.0;
  figures.jitterMs = answered_ > 1 ? jitterSumUs_ / (answered_ - 1) / kUsPerMs : 0.0;
  return figures;
}

}  // namespace qnc
