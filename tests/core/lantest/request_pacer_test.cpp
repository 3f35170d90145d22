#include "core/lantest/request_pacer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace qnc {
namespace {

constexpr std::int64_t kReply = 102400;

// Sends every request that is due after each receive, as the client does,
// and returns how many went out in all.
std::int64_t RequestsFor(const std::vector<std::int64_t>& receives) {
  RequestPacer pacer(kReply);
  std::int64_t sent = 0;
  const auto sendDue = [&] {
    for (std::int64_t due = pacer.Due(); due > 0; --due) {
      pacer.Sent();
      ++sent;
    }
  };
  sendDue();
  for (const std::int64_t bytes : receives) {
    pacer.Received(bytes);
    sendDue();
  }
  return sent;
}

TEST(RequestPacerTest, WindowThenThreeRequestsForTwoReplies) {
  struct Case {
    std::vector<std::int64_t> receives;
    std::int64_t requests;
  };
  const std::vector<Case> cases{
      {{}, RequestPacer::kFirstWindow},
      // One request for every two thirds of a reply.
      {{kReply * 2 / 3 - 1}, RequestPacer::kFirstWindow},
      {{kReply * 2 / 3 + 1}, RequestPacer::kFirstWindow + 1},
      {{kReply}, RequestPacer::kFirstWindow + 1},
      {{kReply, kReply}, RequestPacer::kFirstWindow + 3},
      // Pieces add up whatever their sizes.
      {{40000, 40000, 40000, 40000, 44800}, RequestPacer::kFirstWindow + 3},
      // A server that sends a byte per reply gets no more than the window.
      {std::vector<std::int64_t>(1000, 1), RequestPacer::kFirstWindow},
      // Failed receives count nothing.
      {{-1, 0, kReply}, RequestPacer::kFirstWindow + 1},
  };
  for (const auto& [receives, requests] : cases) {
    EXPECT_EQ(RequestsFor(receives), requests) << receives.size() << " receives";
  }
}

// However the bytes arrive, the requests stay about 1.5 % of the download
// and one receive of up to a reply never makes more than two due at once.
TEST(RequestPacerTest, RequestsStayAFewPerCentOfTheDownload) {
  RequestPacer pacer(kReply);
  for (std::int64_t n = 0; n < RequestPacer::kFirstWindow; ++n) pacer.Sent();
  std::int64_t received = 0;
  std::int64_t requested = RequestPacer::kFirstWindow;
  for (std::int64_t i = 0; i < 100000; ++i) {
    const std::int64_t bytes = 1 + (i * 7919) % kReply;
    pacer.Received(bytes);
    received += bytes;
    const std::int64_t due = pacer.Due();
    ASSERT_LE(due, 2);
    for (std::int64_t n = 0; n < due; ++n) pacer.Sent();
    requested += due;
  }
  EXPECT_LE((requested * 1024) * 100, received * 2) << "at most 2 %";
  EXPECT_GE((requested * 1024) * 1000, received * 14) << "at least 1.4 %";
}

}  // namespace
}  // namespace qnc
