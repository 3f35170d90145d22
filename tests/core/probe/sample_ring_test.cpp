#include "core/probe/sample_ring.h"

#include <gtest/gtest.h>

#include <thread>

namespace qnc {
namespace {

// A sample told apart by its round trip.
Sample Numbered(std::uint32_t n) { return Sample{{}, n, FailureReason::kNone}; }

std::vector<std::uint32_t> Trips(const std::vector<Sample>& samples) {
  std::vector<std::uint32_t> trips;
  for (const Sample& sample : samples) trips.push_back(sample.roundTripUs);
  return trips;
}

TEST(SampleRing, KeepsTheNewestInOrderAcrossTheWrap) {
  SampleRing ring(4);
  for (std::uint32_t n = 0; n < 10; ++n) EXPECT_EQ(ring.Append(Numbered(n)), n);
  EXPECT_EQ(ring.Size(), 4u);
  EXPECT_EQ(Trips(ring.Samples()), (std::vector<std::uint32_t>{6, 7, 8, 9}));
  EXPECT_EQ(Trips(ring.Newest(2)), (std::vector<std::uint32_t>{8, 9}));
  EXPECT_EQ(Trips(ring.Newest(100)), (std::vector<std::uint32_t>{6, 7, 8, 9}));
  EXPECT_TRUE(ring.Newest(0).empty());

  SampleRing full;
  for (std::uint32_t n = 0; n < 3 * SampleRing::kDefaultCapacity + 7; ++n) full.Append(Numbered(n));
  const auto kept = full.Samples();
  ASSERT_EQ(kept.size(), SampleRing::kDefaultCapacity);
  EXPECT_EQ(kept.front().roundTripUs, 2 * SampleRing::kDefaultCapacity + 7);
  EXPECT_EQ(kept.back().roundTripUs, 3 * SampleRing::kDefaultCapacity + 6);
}

TEST(SampleRing, AFollowerSeesEverySampleOnceAndHearsOfLossesAndResets) {
  SampleRing ring(4);
  ring.Append(Numbered(0));
  ring.Append(Numbered(1));
  auto batch = ring.After(0);
  EXPECT_EQ(Trips(batch.samples), (std::vector<std::uint32_t>{0, 1}));
  EXPECT_FALSE(batch.missed);

  ring.Append(Numbered(2));
  batch = ring.After(batch.next);
  EXPECT_EQ(Trips(batch.samples), (std::vector<std::uint32_t>{2}));
  EXPECT_FALSE(batch.missed);
  EXPECT_TRUE(ring.After(batch.next).samples.empty()) << "nothing new";

  // Six more samples than the reader fetched: the first two fell out.
  for (std::uint32_t n = 3; n < 9; ++n) ring.Append(Numbered(n));
  const std::uint64_t generation = batch.generation;
  batch = ring.After(batch.next);
  EXPECT_EQ(Trips(batch.samples), (std::vector<std::uint32_t>{5, 6, 7, 8}));
  EXPECT_TRUE(batch.missed);
  EXPECT_EQ(batch.generation, generation);

  // A reset empties the ring and changes the generation; numbering goes on.
  ring.Clear();
  EXPECT_EQ(ring.Size(), 0u);
  EXPECT_TRUE(ring.Samples().empty());
  ring.Append(Numbered(100));
  batch = ring.After(batch.next - 2);
  EXPECT_EQ(Trips(batch.samples), (std::vector<std::uint32_t>{100}));
  EXPECT_TRUE(batch.missed);
  EXPECT_EQ(batch.generation, generation + 1);
  EXPECT_EQ(batch.next, 10u);
  // After the reset the ring fills and wraps as a fresh one.
  for (std::uint32_t n = 101; n < 106; ++n) ring.Append(Numbered(n));
  EXPECT_EQ(Trips(ring.Samples()), (std::vector<std::uint32_t>{102, 103, 104, 105}));
}

TEST(SampleRing, ReadersAndAWriterShareItSafely) {
  SampleRing ring(64);
  constexpr std::uint32_t kCount = 20000;
  std::jthread writer([&] {
    for (std::uint32_t n = 0; n < kCount; ++n) ring.Append(Numbered(n));
  });
  // Whatever a reader copies is a run of consecutive samples.
  std::uint64_t next = 0;
  std::uint32_t expected = 0;
  while (next < kCount) {
    const auto batch = ring.After(next);
    if (!batch.samples.empty()) {
      if (batch.missed) expected = batch.samples.front().roundTripUs;
      for (const Sample& sample : batch.samples) ASSERT_EQ(sample.roundTripUs, expected++);
    }
    next = batch.next;
  }
  EXPECT_EQ(expected, kCount);
}

}  // namespace
}  // namespace qnc
