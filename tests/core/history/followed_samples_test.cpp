// A reader's copy of a row's samples: only the new ones are taken, the copy
// never outgrows the ring, and a reset or an overrun starts it again.
#include "core/history/followed_samples.h"

#include <gtest/gtest.h>

#include "history_sample.h"

namespace qnc {
namespace {

using test::Answered;

std::vector<Sample> SamplesFrom(int from, int to) {
  std::vector<Sample> samples;
  for (int second = from; second < to; ++second) samples.push_back(Answered(second, second));
  return samples;
}

TEST(FollowedSamples, TakesNewSamplesAndTrimsToTheRingsSize) {
  auto ring = std::make_shared<SampleRing>(4);
  FollowedSamples followed(ring);
  EXPECT_FALSE(followed.TakeNew()) << "nothing yet";
  EXPECT_EQ(followed.Capacity(), 4u);

  for (const Sample& sample : SamplesFrom(0, 3)) ring->Append(sample);
  EXPECT_TRUE(followed.TakeNew());
  EXPECT_EQ(followed.Samples(), SamplesFrom(0, 3));
  EXPECT_FALSE(followed.TakeNew()) << "nothing new";

  // Two more: the oldest falls out of the copy as it does out of the ring.
  for (const Sample& sample : SamplesFrom(3, 5)) ring->Append(sample);
  EXPECT_TRUE(followed.TakeNew());
  EXPECT_EQ(followed.Samples(), SamplesFrom(1, 5));
  EXPECT_EQ(followed.Samples(), ring->Samples());
}

TEST(FollowedSamples, StartsAgainAfterAResetOrMoreThanTheRingHolds) {
  auto ring = std::make_shared<SampleRing>(4);
  FollowedSamples followed(ring);
  for (const Sample& sample : SamplesFrom(0, 3)) ring->Append(sample);
  ASSERT_TRUE(followed.TakeNew());

  // Six came between two looks: the ring kept the last four.
  for (const Sample& sample : SamplesFrom(3, 9)) ring->Append(sample);
  EXPECT_TRUE(followed.TakeNew());
  EXPECT_EQ(followed.Samples(), SamplesFrom(5, 9));

  // A reset of the counters empties the ring; the copy follows, even with no
  // sample since.
  ring->Clear();
  EXPECT_TRUE(followed.TakeNew());
  EXPECT_TRUE(followed.Samples().empty());
  ring->Append(Answered(20, 1));
  EXPECT_TRUE(followed.TakeNew());
  EXPECT_EQ(followed.Samples(), std::vector<Sample>{Answered(20, 1)});
}

TEST(FollowedSamples, ARowGoneBeforeTheFirstLookGivesNothing) {
  FollowedSamples followed(nullptr);
  EXPECT_FALSE(followed.HasRing());
  EXPECT_FALSE(followed.TakeNew());
  EXPECT_TRUE(followed.Samples().empty());
  EXPECT_EQ(followed.Capacity(), 0u);
}

}  // namespace
}  // namespace qnc
