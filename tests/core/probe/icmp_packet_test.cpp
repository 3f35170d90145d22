#include <gtest/gtest.h>

#include <vector>

#include "core/probe/icmp_probe.h"

namespace qnc {
namespace {

TEST(IcmpEcho, RequestBytes) {
  const IcmpEchoPacket packet = BuildEchoRequest(1, 1, 0x0A0B0C0D);
  EXPECT_EQ(packet[0], 8);
  EXPECT_EQ(packet[1], 0);
  EXPECT_EQ(packet[4], 0x01);
  EXPECT_EQ(packet[5], 0x00);
  EXPECT_EQ(packet[6], 0x01);
  EXPECT_EQ(packet[7], 0x00);
  EXPECT_EQ(packet[8], 0);
  EXPECT_EQ((std::vector<std::uint8_t>(packet.begin() + 9, packet.begin() + 13)),
            (std::vector<std::uint8_t>{0x0D, 0x0C, 0x0B, 0x0A}));
  for (std::size_t i = 13; i < kEchoPacketSize; ++i) EXPECT_EQ(packet[i], 0x20 + (i - 13)) << i;
  // The standard checksum over the whole message, checksum included, is zero.
  EXPECT_EQ(InternetChecksum(packet), 0);
}

TEST(IcmpEcho, ChecksumOfKnownWordsAndOddLength) {
  // RFC 1071's example words 0001 f203 f4f5 f6f7 sum to ddf2 (after folding); complement 220d.
  const std::vector<std::uint8_t> words = {0x00, 0x01, 0xf2, 0x03, 0xf4, 0xf5, 0xf6, 0xf7};
  EXPECT_EQ(InternetChecksum(words), 0x220d);
  const std::vector<std::uint8_t> odd = {0x01};  // padded: 0100
  EXPECT_EQ(InternetChecksum(odd), 0xfeff);
}

TEST(IcmpEcho, CountersGiveOneThenTwoAndRestart) {
  EchoCounters counters;
  EXPECT_EQ(counters.echoId, 1u);
  ++counters.echoId;
  ++counters.echoSeq;
  EXPECT_EQ(
      BuildEchoRequest(static_cast<std::uint16_t>(counters.echoId), static_cast<std::uint16_t>(counters.echoSeq), 0)[4],
      2);
  counters.Restart();
  EXPECT_EQ(counters.echoId, 1u);
  EXPECT_EQ(counters.echoSeq, 1u);
  // Only the low 16 bits go on the wire.
  const IcmpEchoPacket wrapped = BuildEchoRequest(static_cast<std::uint16_t>(0x10002u), 0x0201, 0);
  EXPECT_EQ(wrapped[4], 0x02);
  EXPECT_EQ(wrapped[5], 0x00);
  EXPECT_EQ(wrapped[6], 0x01);
  EXPECT_EQ(wrapped[7], 0x02);
}

// Both builders size their vector once and fill it in place: GCC 12 at -O2 and
// above reports false -Warray-bounds errors for the growing forms (resize of a
// short vector, insert of a range).
std::vector<std::uint8_t> EchoMessage(std::uint8_t type, std::uint16_t id, std::uint16_t seq) {
  std::vector<std::uint8_t> message(45, 0x20);
  const std::uint8_t head[] = {type,
                               0,
                               0,
                               0,
                               static_cast<std::uint8_t>(id),
                               static_cast<std::uint8_t>(id >> 8),
                               static_cast<std::uint8_t>(seq),
                               static_cast<std::uint8_t>(seq >> 8)};
  for (std::size_t i = 0; i < sizeof head; ++i) message[i] = head[i];
  return message;
}

std::vector<std::uint8_t> WithIpHeader(const std::vector<std::uint8_t>& message, std::uint8_t headerWords = 5) {
  const std::size_t headerBytes = static_cast<std::size_t>(headerWords) * 4;
  std::vector<std::uint8_t> packet(headerBytes + message.size(), 0);
  packet[0] = static_cast<std::uint8_t>(0x40 | headerWords);
  for (std::size_t i = 0; i < message.size(); ++i) packet[headerBytes + i] = message[i];
  return packet;
}

TEST(IcmpEcho, OnlyOurOwnReplyCounts) {
  const Ipv4NetOrder host = *ParseDottedQuad("10.0.0.1");
  const Ipv4NetOrder other = *ParseDottedQuad("10.0.0.2");
  const EchoExpectation expected{host, 3, 3};
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    bool ipHeader;
    Ipv4NetOrder from;
    bool answers;
  };
  std::vector<std::uint8_t> unreachable = EchoMessage(3, 3, 3);
  unreachable[1] = 1;
  const std::vector<Case> cases = {
      {"our reply, raw", WithIpHeader(EchoMessage(0, 3, 3)), true, host, true},
      {"our reply, datagram", EchoMessage(0, 3, 3), false, host, true},
      {"reply with IP options", WithIpHeader(EchoMessage(0, 3, 3), 6), true, host, true},
      {"our own request seen on loopback", WithIpHeader(EchoMessage(8, 3, 3)), true, host, false},
      {"destination unreachable", WithIpHeader(unreachable), true, host, false},
      {"another program's reply", WithIpHeader(EchoMessage(0, 9, 3)), true, host, false},
      {"an older sequence", WithIpHeader(EchoMessage(0, 3, 2)), true, host, false},
      {"from another host", WithIpHeader(EchoMessage(0, 3, 3)), true, other, false},
      {"short message", {0, 0, 0, 0}, false, host, false},
      {"header longer than the packet",
       [] {
         auto p = WithIpHeader(EchoMessage(0, 3, 3));
         p[0] = 0x4F;
         p.resize(40);
         return p;
       }(),
       true, host, false},
      {"not IPv4",
       [] {
         auto p = WithIpHeader(EchoMessage(0, 3, 3));
         p[0] = 0x65;
         return p;
       }(),
       true, host, false},
      {"empty", {}, true, host, false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsEchoReplyFor(c.bytes, c.ipHeader, c.from, expected), c.answers) << c.name;
}

}  // namespace
}  // namespace qnc
