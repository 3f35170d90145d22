#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/probe/sample.h"
#include "core/probe/sample_ring.h"

namespace qnc {

// A reader's own copy of a row's samples that it keeps up to date: each look
// takes only the samples that came since the last one (a copy of a few at a
// time, so the reader never holds the ring's lock for long), and the copy
// never holds more than the ring does.
class FollowedSamples {
 public:
  // `ring` is shared with the row, so it stays readable for the moment after
  // the row goes; null (a row already gone) yields no samples.
  explicit FollowedSamples(std::shared_ptr<const SampleRing> ring);

  // Takes the samples that came since the last look. After a reset of the
  // row's counters, or when more came than the ring holds, the copy starts
  // again with all the ring has. True when the samples changed.
  bool TakeNew();

  // Oldest first.
  const std::vector<Sample>& Samples() const { return samples_; }
  // How many samples the copy holds at most: the ring's size.
  std::size_t Capacity() const;
  // False for a row that was gone before the first look.
  bool HasRing() const { return ring_ != nullptr; }

 private:
  std::shared_ptr<const SampleRing> ring_;
  std::vector<Sample> samples_;
  std::uint64_t nextSequence_ = 0;
  std::uint64_t generation_ = 0;
};

}  // namespace qnc
