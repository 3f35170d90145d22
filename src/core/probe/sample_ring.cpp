#include "core/probe/sample_ring.h"

#include <algorithm>

namespace qnc {

SampleRing::SampleRing(std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 1)) {}

std::uint64_t SampleRing::Append(const Sample& sample) {
  std::lock_guard lock(mutex_);
  const std::uint64_t sequence = next_++;
  if (slots_.size() < capacity_) {
    // Until the first wrap the new sample goes at the end. The storage grows
    // with the samples up to the capacity, so a seldom probed row costs little.
    if (slots_.size() == slots_.capacity()) {
      slots_.reserve(std::min(capacity_, std::max<std::size_t>(64, 2 * slots_.size())));
    }
    slots_.push_back(sample);
  } else {
    slots_[SlotOf(sequence)] = sample;
  }
  return sequence;
}

void SampleRing::Clear() {
  std::lock_guard lock(mutex_);
  std::vector<Sample>().swap(slots_);
  first_ = next_;  // slots count from here now
  ++generation_;
}

std::uint64_t SampleRing::OldestLocked() const {
  return std::max(first_, next_ > capacity_ ? next_ - capacity_ : std::uint64_t{0});
}

std::size_t SampleRing::Size() const {
  std::lock_guard lock(mutex_);
  return static_cast<std::size_t>(next_ - OldestLocked());
}

std::uint64_t SampleRing::NextSequence() const {
  std::lock_guard lock(mutex_);
  return next_;
}

std::uint64_t SampleRing::Generation() const {
  std::lock_guard lock(mutex_);
  return generation_;
}

std::vector<Sample> SampleRing::CopyLocked(std::uint64_t from) const {
  from = std::max(from, OldestLocked());
  std::vector<Sample> copy;
  if (from >= next_) return copy;
  copy.reserve(static_cast<std::size_t>(next_ - from));
  for (std::uint64_t sequence = from; sequence < next_; ++sequence) {
    copy.push_back(slots_[SlotOf(sequence)]);
  }
  return copy;
}

std::vector<Sample> SampleRing::Samples() const {
  std::lock_guard lock(mutex_);
  return CopyLocked(0);
}

std::vector<Sample> SampleRing::Newest(std::size_t count) const {
  std::lock_guard lock(mutex_);
  return CopyLocked(next_ >= count ? next_ - count : 0);
}

SampleRing::Batch SampleRing::After(std::uint64_t sequence) const {
  std::lock_guard lock(mutex_);
  Batch batch;
  batch.missed = sequence < OldestLocked();
  batch.samples = CopyLocked(sequence);
  batch.next = next_;
  batch.generation = generation_;
  return batch;
}

}  // namespace qnc
