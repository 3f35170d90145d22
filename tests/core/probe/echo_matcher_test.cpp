#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <vector>

#include "core/probe/echo_flight.h"

namespace qnc {
namespace {

using Bytes = std::vector<std::uint8_t>;

const Ipv4NetOrder kHostA = *ParseDottedQuad("10.0.0.1");
const Ipv4NetOrder kHostB = *ParseDottedQuad("10.0.0.2");

Bytes IpHeader(std::uint8_t protocol, Ipv4NetOrder destination) {
  Bytes header(20, 0);
  header[0] = 0x45;
  header[9] = protocol;
  std::memcpy(&header[16], &destination, sizeof destination);
  return header;
}

Bytes Echo(std::uint8_t type, std::uint16_t id, std::uint16_t seq) {
  return Bytes{type,
               0,
               0,
               0,
               static_cast<std::uint8_t>(id),
               static_cast<std::uint8_t>(id >> 8),
               static_cast<std::uint8_t>(seq),
               static_cast<std::uint8_t>(seq >> 8)};
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes joined;
  for (const Bytes& part : parts) joined.insert(joined.end(), part.begin(), part.end());
  return joined;
}

// A reply as a raw socket delivers it: the IPv4 header, then the echo reply.
Bytes RawReply(std::uint16_t id, std::uint16_t seq) { return Join({IpHeader(1, 0), Echo(0, id, seq)}); }

// An ICMP error of `type` about the echo request (id, seq) that went to `to`,
// as a raw socket delivers it.
Bytes RawError(std::uint8_t type, Ipv4NetOrder to, std::uint16_t id, std::uint16_t seq) {
  return Join({IpHeader(1, 0), Bytes{type, 1, 0, 0, 0, 0, 0, 0}, IpHeader(1, to), Echo(8, id, seq)});
}

// Eight requests in flight, two hosts, identifiers and sequences counting up
// as the counters give them; each message is offered in turn and must end the
// right probe or none.
TEST(EchoMatcher, EachAnswerEndsItsOwnProbeAmongMany) {
  EchoMatcher matcher;
  for (std::uint16_t i = 0; i < 8; ++i) {
    matcher.Add(i,
                EchoExpectation{i % 2 == 0 ? kHostA : kHostB, static_cast<std::uint16_t>(i + 1),
                                static_cast<std::uint16_t>(i + 1)},
                1000);
  }
  struct Case {
    const char* name;
    Bytes message;
    Ipv4NetOrder from;
    std::optional<std::size_t> ends;
    FailureReason reason = FailureReason::kNone;
  };
  const std::vector<Case> cases = {
      {"the reply to the fifth request", RawReply(5, 5), kHostA, 4},
      {"the same reply again", RawReply(5, 5), kHostA, std::nullopt},
      {"another program's reply with our sequence", RawReply(900, 2), kHostB, std::nullopt},
      {"the reply to the second request from the wrong host", RawReply(2, 2), kHostA, std::nullopt},
      {"the reply to the second request", RawReply(2, 2), kHostB, 1},
      {"an error quoting another program's request", RawError(3, kHostA, 77, 3), kHostA, std::nullopt},
      {"an error quoting our request to another host", RawError(3, kHostB, 3, 3), kHostB, std::nullopt},
      {"host unreachable for the third request", RawError(3, kHostA, 3, 3), kHostA, 2, FailureReason::kUnreachable},
      {"time exceeded for the eighth request", RawError(11, kHostB, 8, 8), kHostB, 7, FailureReason::kUnreachable},
      {"our own request seen on loopback", Join({IpHeader(1, kHostA), Echo(8, 1, 1)}), kHostA, std::nullopt},
      {"the reply to the first request", RawReply(1, 1), kHostA, 0},
  };
  for (const Case& c : cases) {
    const auto match = matcher.Take(c.message, true, c.from);
    ASSERT_EQ(match.has_value(), c.ends.has_value()) << c.name;
    if (!match) continue;
    EXPECT_EQ(match->index, *c.ends) << c.name;
    EXPECT_EQ(match->reason, c.reason) << c.name;
  }
  EXPECT_EQ(matcher.InFlight(), 3u) << "the fourth, sixth and seventh are still out";

  std::vector<std::size_t> expired;
  matcher.ExpireAt(999, [&](std::size_t index) { expired.push_back(index); });
  EXPECT_TRUE(expired.empty()) << "none is due before its deadline";
  matcher.ExpireAt(1000, [&](std::size_t index) { expired.push_back(index); });
  EXPECT_EQ(expired, (std::vector<std::size_t>{3, 5, 6}));
  EXPECT_EQ(matcher.InFlight(), 0u);
}

// A datagram socket delivers the reply without the IPv4 header, carrying the
// identifier the system chose.
TEST(EchoMatcher, DatagramRepliesCarryTheSystemIdentifier) {
  EchoMatcher matcher;
  matcher.Add(0, EchoExpectation{kHostA, 0x4242, 1}, 1000);
  EXPECT_FALSE(matcher.Take(Echo(0, 1, 1), false, kHostA)) << "our counter's identifier is not on the wire";
  const auto match = matcher.Take(Echo(0, 0x4242, 1), false, kHostA);
  ASSERT_TRUE(match);
  EXPECT_EQ(match->index, 0u);
}

}  // namespace
}  // namespace qnc
