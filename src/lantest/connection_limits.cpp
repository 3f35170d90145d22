#include "lantest/connection_limits.h"

namespace qnc {

ConnectionLimits::Place::~Place() {
  if (limits_ != nullptr) limits_->Release(source_);
}

std::optional<ConnectionLimits::Place> ConnectionLimits::Admit(Ipv4NetOrder source, Refusal& refusal) {
  std::lock_guard lock(mutex_);
  if (served_ >= total_) {
    refusal = Refusal{false, total_};
    return std::nullopt;
  }
  int& fromSource = bySource_[source];
  if (fromSource >= perSource_) {
    refusal = Refusal{true, perSource_};
    return std::nullopt;
  }
  ++fromSource;
  ++served_;
  return Place(*this, source);
}

void ConnectionLimits::Release(Ipv4NetOrder source) {
  std::lock_guard lock(mutex_);
  --served_;
  const auto found = bySource_.find(source);
  if (found != bySource_.end() && --found->second <= 0) bySource_.erase(found);
}

}  // namespace qnc
