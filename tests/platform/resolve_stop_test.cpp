// A name lookup that watches a stop request: it answers like the lookup it
// runs, and a stop ends the wait for one that hangs.
#include <gtest/gtest.h>

#include <chrono>
#include <stop_token>
#include <thread>

#include "platform/hanging_lookup.h"
#include "platform/resolve.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;

TEST(ResolveUnlessStopped, AnswersLikeTheLookupItRuns) {
  const Ipv4NetOrder address = *ParseDottedQuad("10.1.2.3");
  int calls = 0;
  const HostLookup answering = [&](std::string_view host) {
    ++calls;
    return host == "known.test" ? HostLookupResult::Found(address) : HostLookupResult::Failed(LookupError::kNoSuchName);
  };
  std::stop_source running;
  EXPECT_EQ(ResolveIpv4UnlessStopped("known.test", running.get_token(), answering), HostLookupResult::Found(address));
  EXPECT_EQ(ResolveIpv4UnlessStopped("unknown.test", running.get_token(), answering),
            HostLookupResult::Failed(LookupError::kNoSuchName));
  // The system's lookup reads a dotted address without a query.
  EXPECT_EQ(ResolveIpv4UnlessStopped("127.0.0.1", running.get_token()).address, ParseDottedQuad("127.0.0.1"));

  std::stop_source stopped;
  stopped.request_stop();
  EXPECT_EQ(ResolveIpv4UnlessStopped("known.test", stopped.get_token(), answering).error, LookupError::kStopped);
  EXPECT_EQ(calls, 2) << "nothing is looked up once a stop is requested";
}

TEST(ResolveUnlessStopped, AStopEndsTheWaitForALookupThatHangs) {
  test::HangingLookup lookup;
  std::stop_source stop;
  std::jthread stopper([&] {
    if (lookup.WaitEntered(10s)) stop.request_stop();
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ResolveIpv4UnlessStopped("silent.test", stop.get_token(), lookup.Function()).error, LookupError::kStopped);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s) << "the lookup hangs for 30 s";
}

TEST(ResolveUnlessStopped, ALookupThatOutlastsTheLimitIsReportedAsTimedOut) {
  test::HangingLookup lookup;
  std::stop_source running;
  EXPECT_EQ(ResolveIpv4UnlessStopped("silent.test", running.get_token(), lookup.Function(), 50ms),
            HostLookupResult::Failed(LookupError::kTimedOut));
  EXPECT_TRUE(lookup.WaitEntered(0ms)) << "the lookup was started";
}

}  // namespace
}  // namespace qnc
