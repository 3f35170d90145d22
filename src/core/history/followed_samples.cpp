#include "core/history/followed_samples.h"

#include <utility>

namespace qnc {

FollowedSamples::FollowedSamples(std::shared_ptr<const SampleRing> ring) : ring_(std::move(ring)) {}

std::size_t FollowedSamples::Capacity() const { return ring_ != nullptr ? ring_->Capacity() : 0; }

bool FollowedSamples::TakeNew() {
  if (ring_ == nullptr) return false;
  SampleRing::Batch batch = ring_->After(nextSequence_);
  const bool restart = batch.generation != generation_ || batch.missed;
  if (!restart && batch.samples.empty()) return false;
  nextSequence_ = batch.next;
  generation_ = batch.generation;
  if (restart) {
    // A reset of the counters, or more new samples than the ring holds: the
    // batch is then all the ring has.
    samples_ = std::move(batch.samples);
    return true;
  }
  samples_.insert(samples_.end(), batch.samples.begin(), batch.samples.end());
  const std::size_t capacity = ring_->Capacity();
  if (samples_.size() > capacity) {
    samples_.erase(samples_.begin(), samples_.begin() + static_cast<std::ptrdiff_t>(samples_.size() - capacity));
  }
  return true;
}

}  // namespace qnc
