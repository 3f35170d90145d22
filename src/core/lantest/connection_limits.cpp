#include "core/lantest/connection_limits.h"

#include <algorithm>

namespace qnc {

struct ConnectionLimits::Entry {
  Ipv4NetOrder source = 0;
  ConnectionActivity activity;
  bool counted = true;  // false once the place was given to a newcomer
};

void ConnectionActivity::Judge(std::uint32_t now) {
  const std::uint64_t moved = moved_.load(std::memory_order_relaxed);
  if (!windowStart_) {
    windowStart_ = now;
    windowStartBytes_ = moved;
    return;
  }
  // A tick from before the window's start (another thread's clock reading)
  // counts as no time.
  const auto elapsed = static_cast<std::int32_t>(now - *windowStart_);
  if (elapsed < static_cast<std::int32_t>(kActivityWindowMs)) return;
  lastWindowBytes_.store(moved - windowStartBytes_);
  windowStart_ = now;
  windowStartBytes_ = moved;
}

ConnectionLimits::Place::~Place() {
  if (limits_ != nullptr) limits_->Release(*entry_);
}

ConnectionActivity& ConnectionLimits::Place::Activity() const { return entry_->activity; }

std::optional<ConnectionLimits::Place> ConnectionLimits::Admit(Ipv4NetOrder source, Refusal& refusal,
                                                               std::optional<Ipv4NetOrder>* displaced) {
  std::lock_guard lock(mutex_);
  std::shared_ptr<Entry> victim;
  if (served_ >= total_) {
    // The slowest connection, the oldest among equals, would make room.
    const auto slowest = std::min_element(entries_.begin(), entries_.end(), [](const auto& a, const auto& b) {
      return a->activity.LastWindowBytes() < b->activity.LastWindowBytes();
    });
    if (slowest == entries_.end() || !(*slowest)->activity.Slow()) {
      refusal = Refusal{false, total_};
      return std::nullopt;
    }
    victim = *slowest;
  }
  const auto fromSource = bySource_.find(source);
  const int sameSource = fromSource != bySource_.end() ? fromSource->second : 0;
  // A newcomer that takes the place of one of its own address's connections stays within its share.
  if (sameSource - (victim && victim->source == source ? 1 : 0) >= perSource_) {
    refusal = Refusal{true, perSource_};
    return std::nullopt;
  }
  if (victim) {
    FreeLocked(*victim);
    victim->activity.GiveUp();
    if (displaced != nullptr) *displaced = victim->source;
  }
  ++bySource_[source];
  ++served_;
  auto entry = std::make_shared<Entry>();
  entry->source = source;
  entries_.push_back(entry);
  return Place(*this, std::move(entry));
}

void ConnectionLimits::FreeLocked(Entry& entry) {
  if (!entry.counted) return;
  entry.counted = false;
  --served_;
  const auto found = bySource_.find(entry.source);
  if (found != bySource_.end() && --found->second <= 0) bySource_.erase(found);
  entries_.remove_if([&entry](const std::shared_ptr<Entry>& held) { return held.get() == &entry; });
}

void ConnectionLimits::Release(Entry& entry) {
  std::lock_guard lock(mutex_);
  FreeLocked(entry);
}

}  // namespace qnc
