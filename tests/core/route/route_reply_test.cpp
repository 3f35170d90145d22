// Answers to route probes as routers and hosts send them: the error's quote
// of our probe decides which probe it answers, and anything cut short or
// quoting something else is no answer.
#include "core/route/route_reply.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/probe/icmp_probe.h"

namespace qnc {
namespace {

using Bytes = std::vector<std::uint8_t>;

const Ipv4NetOrder kRouter = *ParseDottedQuad("10.0.3.1");
const Ipv4NetOrder kTarget = *ParseDottedQuad("192.0.2.9");
const Ipv4NetOrder kOther = *ParseDottedQuad("192.0.2.77");

Bytes IpHeader(std::uint8_t protocol, Ipv4NetOrder to, std::size_t optionWords = 0) {
  Bytes header(20 + 4 * optionWords, 0);
  header[0] = static_cast<std::uint8_t>(0x40 | (5 + optionWords));
  header[8] = 1;  // the TTL that ran out
  header[9] = protocol;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(&to);
  std::copy(bytes, bytes + 4, header.begin() + 16);
  return header;
}

Bytes Echo(std::uint16_t identifier, std::uint16_t sequence) {
  const IcmpEchoPacket packet = BuildEchoRequest(identifier, sequence, 0);
  return Bytes(packet.begin(), packet.end());
}

Bytes TcpSyn(std::uint16_t sourcePort, std::uint16_t destinationPort) {
  return Bytes{static_cast<std::uint8_t>(sourcePort >> 8),
               static_cast<std::uint8_t>(sourcePort),
               static_cast<std::uint8_t>(destinationPort >> 8),
               static_cast<std::uint8_t>(destinationPort),
               0x12,
               0x34,
               0x56,
               0x78};
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// An ICMP error quoting a probe: type, code, unused word, quoted IP header, quoted transport bytes.
Bytes Error(std::uint8_t type, std::uint8_t code, const Bytes& quotedIp, const Bytes& quotedTransport) {
  return Join({Bytes{type, code, 0, 0, 0, 0, 0, 0}, quotedIp, quotedTransport});
}

Bytes EchoReply(std::uint16_t identifier, std::uint16_t sequence) {
  Bytes reply = Echo(identifier, sequence);
  reply[0] = 0;
  return reply;
}

struct Case {
  std::string name;
  Bytes message;  // the ICMP message, without the outer IPv4 header
  std::optional<RouteReply> expected;
};

TEST(RouteReply, ReadsAnswersAndRefusesEverythingElse) {
  const Bytes quotedEcho = Echo(0x1234, 7);
  const std::vector<Case> cases = {
      {"time exceeded quoting our echo",
       Error(11, 0, IpHeader(1, kTarget), Bytes(quotedEcho.begin(), quotedEcho.begin() + 8)),
       RouteReply{RouteReplyKind::kTimeExceeded, 0, kRouter, kTarget, {ProbeProtocol::kIcmpEcho, 0x1234, 7}}},
      {"a router quoting more than 8 bytes", Error(11, 0, IpHeader(1, kTarget), quotedEcho),
       RouteReply{RouteReplyKind::kTimeExceeded, 0, kRouter, kTarget, {ProbeProtocol::kIcmpEcho, 0x1234, 7}}},
      {"quoted header with options",
       Error(11, 0, IpHeader(1, kOther, 2), Bytes(quotedEcho.begin(), quotedEcho.begin() + 8)),
       RouteReply{RouteReplyKind::kTimeExceeded, 0, kRouter, kOther, {ProbeProtocol::kIcmpEcho, 0x1234, 7}}},
      {"port unreachable quoting a TCP SYN", Error(3, 3, IpHeader(6, kTarget), TcpSyn(40000, 7000)),
       RouteReply{RouteReplyKind::kUnreachable, 3, kRouter, kTarget, {ProbeProtocol::kTcp, 40000, 7000}}},
      {"echo reply", EchoReply(0x1234, 9),
       RouteReply{RouteReplyKind::kEchoReply, 0, kRouter, kRouter, {ProbeProtocol::kIcmpEcho, 0x1234, 9}}},
      {"quote cut inside the transport header",
       Error(11, 0, IpHeader(1, kTarget), Bytes(quotedEcho.begin(), quotedEcho.begin() + 7)), std::nullopt},
      {"quote cut inside the IP header",
       [] {
         Bytes message = Join({Bytes{11, 0, 0, 0, 0, 0, 0, 0}, IpHeader(1, kTarget)});
         message.pop_back();
         return message;
       }(),
       std::nullopt},
      {"error header alone", Bytes{11, 0, 0, 0, 0, 0, 0, 0}, std::nullopt},
      {"shorter than an ICMP header", Bytes{0, 0, 0}, std::nullopt},
      {"quoted IP header claims more than is there", Error(11, 0, IpHeader(1, kTarget, 10), Bytes{}), std::nullopt},
      {"quote of UDP, not ours", Error(11, 0, IpHeader(17, kTarget), Bytes(8, 0)), std::nullopt},
      {"quote of an echo reply, not a request", Error(11, 0, IpHeader(1, kTarget), EchoReply(1, 1)), std::nullopt},
      {"quote that is not IPv4",
       [&] {
         Bytes ip = IpHeader(1, kTarget);
         ip[0] = 0x65;
         return Error(11, 0, ip, quotedEcho);
       }(),
       std::nullopt},
      {"our own echo request seen on a raw socket", Echo(0x1234, 7), std::nullopt},
      {"redirect", Error(5, 1, IpHeader(1, kTarget), quotedEcho), std::nullopt},
      {"echo reply with a code",
       [] {
         Bytes reply = EchoReply(1, 1);
         reply[1] = 1;
         return reply;
       }(),
       std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseRouteReply(c.message, false, kRouter), c.expected) << c.name;
    // The same message as a raw socket delivers it, after the router's own IPv4 header.
    const Bytes withHeader = Join({IpHeader(1, 0), c.message});
    EXPECT_EQ(ParseRouteReply(withHeader, true, kRouter), c.expected) << c.name << " (with IPv4 header)";
  }
}

TEST(RouteReply, OuterHeaderMustBeWhole) {
  const Bytes reply = EchoReply(1, 2);
  EXPECT_FALSE(ParseRouteReply(Bytes{0x45, 0, 0}, true, kRouter));
  Bytes badVersion = Join({IpHeader(1, 0), reply});
  badVersion[0] = 0x55;
  EXPECT_FALSE(ParseRouteReply(badVersion, true, kRouter));
  Bytes shortHeader = Join({IpHeader(1, 0), reply});
  shortHeader[0] = 0x44;  // a header length under 20 bytes
  EXPECT_FALSE(ParseRouteReply(shortHeader, true, kRouter));
}

TEST(RouteReply, ErrorsTheSystemMatchedCarryOnlyTheTransportQuote) {
  const Bytes echo = Echo(0xBEEF, 300);
  EXPECT_EQ(RouteReplyFromError(11, 0, kRouter, ProbeProtocol::kIcmpEcho, echo),
            (RouteReply{RouteReplyKind::kTimeExceeded, 0, kRouter, 0, {ProbeProtocol::kIcmpEcho, 0xBEEF, 300}}));
  EXPECT_EQ(RouteReplyFromError(3, 13, kRouter, ProbeProtocol::kTcp, TcpSyn(5555, 443)),
            (RouteReply{RouteReplyKind::kUnreachable, 13, kRouter, 0, {ProbeProtocol::kTcp, 5555, 443}}));
  EXPECT_FALSE(RouteReplyFromError(11, 0, kRouter, ProbeProtocol::kTcp, Bytes{1, 2, 3}));
  EXPECT_FALSE(RouteReplyFromError(4, 0, kRouter, ProbeProtocol::kIcmpEcho, echo));  // source quench: no answer
  EXPECT_FALSE(RouteReplyFromError(11, 0, kRouter, ProbeProtocol::kIcmpEcho, EchoReply(1, 1)));
}

}  // namespace
}  // namespace qnc
