#pragma once
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "core/probe/sample.h"

namespace qnc {

// The newest samples of one row, oldest dropped first. Every sample gets a
// sequence number one above the previous one's, never reused (a Clear does not
// restart them), so a reader can follow the ring live by asking for what came
// after the last number it saw. Thread-safe: a worker appends while windows
// and exporters read copies.
class SampleRing {
 public:
  static constexpr std::size_t kDefaultCapacity = 3600;

  explicit SampleRing(std::size_t capacity = kDefaultCapacity);
  SampleRing(const SampleRing&) = delete;
  SampleRing& operator=(const SampleRing&) = delete;

  // Appends a sample (dropping the oldest when full); returns its sequence number.
  std::uint64_t Append(const Sample& sample);
  // Forgets every sample, as a counter reset does; the storage is given back.
  void Clear();

  std::size_t Capacity() const { return capacity_; }
  std::size_t Size() const;
  // The sequence number the next sample will get.
  std::uint64_t NextSequence() const;
  // Goes up by one on every Clear, so a follower can tell a reset from samples
  // that merely fell out of the ring.
  std::uint64_t Generation() const;

  // Every sample held, oldest first.
  std::vector<Sample> Samples() const;
  // The newest `count` samples (fewer when the ring holds fewer), oldest first.
  std::vector<Sample> Newest(std::size_t count) const;

  struct Batch {
    std::vector<Sample> samples;  // oldest first
    std::uint64_t next = 0;       // pass it to the next After call
    std::uint64_t generation = 0;
    // Samples at or after the asked number were lost to the reader: dropped
    // for lack of room, or cleared (then generation has changed).
    bool missed = false;
  };
  // The samples whose sequence number is `sequence` or later.
  Batch After(std::uint64_t sequence) const;

 private:
  std::vector<Sample> CopyLocked(std::uint64_t from) const;
  std::uint64_t OldestLocked() const;
  std::size_t SlotOf(std::uint64_t sequence) const { return static_cast<std::size_t>((sequence - first_) % capacity_); }

  const std::size_t capacity_;
  mutable std::mutex mutex_;
  // Grows up to the capacity, then wraps: sample s sits at (s - first_) % capacity.
  std::vector<Sample> slots_;
  std::uint64_t next_ = 0;   // sequence number of the next sample
  std::uint64_t first_ = 0;  // the first sequence number after the last Clear
  std::uint64_t generation_ = 0;
};

}  // namespace qnc
