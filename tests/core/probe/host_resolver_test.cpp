// The ping and game rows' name lookups: addresses without the lock, names
// from a cache with a lifetime, stale answers while the resolver is silent,
// and failures told apart.
#include "core/probe/host_resolver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <map>
#include <string>

#include "platform/hanging_lookup.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;
using Clock = HostResolver::Clock;

// A name lookup whose answers the test scripts per name, counting the calls.
class ScriptedLookup {
 public:
  void Answer(const std::string& name, HostLookupResult result) {
    std::lock_guard lock(mutex_);
    answers_[name] = result;
  }
  int Calls() const { return calls_; }
  HostLookup Function() {
    return [this](std::string_view name) {
      ++calls_;
      std::lock_guard lock(mutex_);
      const auto found = answers_.find(std::string(name));
      return found != answers_.end() ? found->second : HostLookupResult::Failed(LookupError::kNoSuchName);
    };
  }

 private:
  std::mutex mutex_;
  std::map<std::string, HostLookupResult> answers_;
  std::atomic<int> calls_{0};
};

class HostResolverTest : public ::testing::Test {
 protected:
  HostResolver::Options Options() {
    HostResolver::Options options;
    options.lookup = lookup_.Function();
    options.now = [this] { return now_.load(); };
    options.freshFor = 60s;
    options.retryStaleAfter = 10s;
    options.staleAtMost = 600s;
    return options;
  }
  ResolvedHost Resolve(HostResolver& resolver, std::string_view host) {
    return resolver.Resolve(host, running_.get_token());
  }
  void Advance(Clock::duration by) { now_.store(now_.load() + by); }

  ScriptedLookup lookup_;
  std::atomic<Clock::time_point> now_{Clock::time_point{} + 1000h};
  std::stop_source running_;
  const Ipv4NetOrder first_ = *ParseDottedQuad("192.0.2.10");
  const Ipv4NetOrder second_ = *ParseDottedQuad("192.0.2.20");
};

TEST_F(HostResolverTest, ANameIsLookedUpOncePerLifetime) {
  lookup_.Answer("game.example", HostLookupResult::Found(first_));
  HostResolver resolver(Options());
  for (int probe = 0; probe < 5; ++probe) {
    const ResolvedHost resolved = Resolve(resolver, "game.example");
    EXPECT_EQ(resolved.address, first_);
    EXPECT_EQ(resolved.failure, FailureReason::kNone);
    Advance(10s);
  }
  EXPECT_EQ(lookup_.Calls(), 1) << "50 s are within the minute the answer is kept";

  lookup_.Answer("game.example", HostLookupResult::Found(second_));
  Advance(20s);
  EXPECT_EQ(Resolve(resolver, "game.example").address, second_) << "past its lifetime the name is looked up again";
  EXPECT_EQ(lookup_.Calls(), 2);
}

TEST_F(HostResolverTest, ASilentResolverServesTheLastAddressAndRetriesNowAndThen) {
  lookup_.Answer("game.example", HostLookupResult::Found(first_));
  HostResolver resolver(Options());
  ASSERT_EQ(Resolve(resolver, "game.example").address, first_);

  lookup_.Answer("game.example", HostLookupResult::Failed(LookupError::kTimedOut));
  Advance(61s);
  EXPECT_EQ(Resolve(resolver, "game.example").address, first_) << "a failed refresh keeps the stale address";
  EXPECT_EQ(lookup_.Calls(), 2);
  Advance(5s);
  EXPECT_EQ(Resolve(resolver, "game.example").address, first_);
  EXPECT_EQ(lookup_.Calls(), 2) << "no new lookup before the retry time";
  Advance(6s);
  EXPECT_EQ(Resolve(resolver, "game.example").address, first_);
  EXPECT_EQ(lookup_.Calls(), 3);

  // Too long without a fresh answer: the failure shows.
  Advance(601s);
  EXPECT_EQ(Resolve(resolver, "game.example").failure, FailureReason::kLookupTimeout);
}

TEST_F(HostResolverTest, FailuresKeepTheirReason) {
  struct Case {
    const char* name;
    HostLookupResult answer;
    FailureReason expected;
  };
  const Case cases[] = {
      {"gone.example", HostLookupResult::Failed(LookupError::kNoSuchName), FailureReason::kNameNotFound},
      {"broken.example", HostLookupResult::Failed(LookupError::kFailed), FailureReason::kLookupFailed},
      {"silent.example", HostLookupResult::Failed(LookupError::kTimedOut), FailureReason::kLookupTimeout},
  };
  HostResolver resolver(Options());
  for (const Case& c : cases) {
    lookup_.Answer(c.name, c.answer);
    const ResolvedHost resolved = Resolve(resolver, c.name);
    EXPECT_EQ(resolved.address, std::nullopt) << c.name;
    EXPECT_EQ(resolved.failure, c.expected) << c.name;
  }
  EXPECT_EQ(Resolve(resolver, "gone.example").failure, FailureReason::kNameNotFound)
      << "a failure is not kept: the next probe asks again";
  EXPECT_EQ(lookup_.Calls(), 4);
}

TEST_F(HostResolverTest, ANameTheServerCallsGoneLosesItsStaleAddress) {
  lookup_.Answer("moved.example", HostLookupResult::Found(first_));
  HostResolver resolver(Options());
  ASSERT_EQ(Resolve(resolver, "moved.example").address, first_);
  Advance(61s);
  lookup_.Answer("moved.example", HostLookupResult::Failed(LookupError::kNoSuchName));
  EXPECT_EQ(Resolve(resolver, "moved.example").failure, FailureReason::kNameNotFound);
  lookup_.Answer("moved.example", HostLookupResult::Failed(LookupError::kTimedOut));
  EXPECT_EQ(Resolve(resolver, "moved.example").failure, FailureReason::kLookupTimeout);
}

// A lookup that hangs holds the lock; an address still resolves at once, and
// the hanging name fails as a DNS time-out once the limit has passed.
TEST(HostResolver, AnAddressNeverWaitsForAHangingLookup) {
  test::HangingLookup hanging;
  HostResolver::Options options;
  options.lookup = hanging.Function();
  options.lookupLimit = 300ms;
  HostResolver resolver(options);
  std::stop_source running;
  auto slow = std::async(std::launch::async, [&] { return resolver.Resolve("silent.example", running.get_token()); });
  ASSERT_TRUE(hanging.WaitEntered(10s));

  const ResolvedHost address = resolver.Resolve("192.0.2.1", running.get_token());
  EXPECT_EQ(address.address, ParseDottedQuad("192.0.2.1"));
  EXPECT_EQ(slow.wait_for(0ms), std::future_status::timeout) << "the name was still being looked up meanwhile";

  const ResolvedHost name = slow.get();
  EXPECT_EQ(name.failure, FailureReason::kLookupTimeout);
  EXPECT_GE(name.lookupTime, 300ms) << "the failure carries the time the lookup took";
}

TEST(HostResolver, AStopEndsTheWaitForTheLock) {
  test::HangingLookup hanging;
  HostResolver::Options options;
  options.lookup = hanging.Function();
  HostResolver resolver(options);
  std::stop_source running;
  auto holder = std::async(std::launch::async, [&] { return resolver.Resolve("first.example", running.get_token()); });
  ASSERT_TRUE(hanging.WaitEntered(10s));
  std::stop_source waiting;
  auto waiter = std::async(std::launch::async, [&] { return resolver.Resolve("second.example", waiting.get_token()); });
  waiting.request_stop();
  EXPECT_EQ(waiter.wait_for(5s), std::future_status::ready) << "the first lookup hangs for 30 s";
  EXPECT_EQ(waiter.get().address, std::nullopt);
  running.request_stop();
  holder.get();
}

}  // namespace
}  // namespace qnc
