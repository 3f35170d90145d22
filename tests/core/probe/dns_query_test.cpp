// DnsQuery against the scripted responder on loopback: what ends the wait for
// a reply and what does not.
#include <gtest/gtest.h>

#include <chrono>

#include "core/probe/dns_client.h"
#include "core/probe/dns_responder.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;
using test::Ipv4Data;
using test::ScriptedAnswer;

constexpr int kShortTimeoutMs = 400;

struct Outcome {
  int result;
  std::string address;
  std::chrono::milliseconds took;
};

Outcome Query(const test::DnsResponder& responder, const std::string& domain) {
  DnsQueryBlock block;
  EXPECT_EQ(DnsOpen("127.0.0.1", block, responder.Port(), kShortTimeoutMs), 0);
  Ipv4NetOrder address = 0;
  const auto start = std::chrono::steady_clock::now();
  const int result = DnsQuery(block, address, domain);
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  return {result, result > 0 ? FormatIpv4(address) : "", took};
}

TEST(DnsQueryOnLoopback, StrayDatagramsDoNotEndTheWait) {
  test::DnsResponder responder(*ParseDottedQuad("127.0.0.1"));
  // Strays from another socket, with another identifier and cut short come first;
  // the real reply follows 50 ms later and is the one taken.
  responder.Script("strays.test", {ScriptedAnswer::Kind::kAddress, Ipv4Data(10, 0, 0, 9), 50ms, true});
  const Outcome answered = Query(responder, "strays.test");
  EXPECT_EQ(answered.result, 1);
  EXPECT_EQ(answered.address, "10.0.0.9");
  EXPECT_LT(answered.took, std::chrono::milliseconds(kShortTimeoutMs));

  // With nothing but strays the query fails at the time-out, not at the first stray.
  responder.Script("only-strays.test", {ScriptedAnswer::Kind::kSilent, {}, 0ms, true});
  const Outcome strays = Query(responder, "only-strays.test");
  EXPECT_EQ(strays.result, -1);
  EXPECT_GE(strays.took, std::chrono::milliseconds(kShortTimeoutMs - 10));
  EXPECT_LT(strays.took, 3s);
}

TEST(DnsQueryOnLoopback, NameErrorEndsTheWaitAtOnce) {
  test::DnsResponder responder(*ParseDottedQuad("127.0.0.1"));
  responder.Script("nx.test", {ScriptedAnswer::Kind::kNameError, {}, 0ms});
  const Outcome outcome = Query(responder, "nx.test");
  EXPECT_EQ(outcome.result, -1);
  EXPECT_LT(outcome.took, std::chrono::milliseconds(kShortTimeoutMs / 2));
}

TEST(DnsQueryOnLoopback, RefusedNamesFailAtOnceWithoutAQuery) {
  test::DnsResponder responder(*ParseDottedQuad("127.0.0.1"));
  for (const std::string& domain : {std::string(64, 'x') + ".test", std::string("a..test"), std::string(".test")}) {
    const Outcome outcome = Query(responder, domain);
    EXPECT_EQ(outcome.result, -1) << domain;
    EXPECT_LT(outcome.took, 50ms) << domain;
  }
  // A name with a trailing dot goes out without it and is answered.
  responder.Script("dot.test", {ScriptedAnswer::Kind::kAddress, Ipv4Data(10, 0, 0, 7), 0ms});
  EXPECT_EQ(Query(responder, "dot.test.").address, "10.0.0.7");
  EXPECT_EQ(responder.QueriesSeen(), 1);
}

}  // namespace
}  // namespace qnc
