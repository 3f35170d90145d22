#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/probe/dns_client.h"
#include "core/probe/dns_wire.h"

namespace qnc {
namespace {

using test::Bytes;
using test::Ipv4Data;
using test::Pointer;
using test::Record;
using test::Reply;

Bytes QueryBytes(const DnsQueryBlock& block) {
  return Bytes(block.query.begin(), block.query.begin() + block.queryLength);
}

TEST(DnsQuery, BytesOfAQueryForAB) {
  DnsQueryBlock block;
  dnsQueryId = 0;
  ASSERT_TRUE(DnsBuildQuery("a.b", block));
  const Bytes expected = {0x00, 0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,
                          0x00, 0x01, 'a',  0x01, 'b',  0x00, 0x00, 0x01, 0x00, 0x01};
  EXPECT_EQ(QueryBytes(block), expected);
  EXPECT_EQ(block.questionLength, 9);
  EXPECT_EQ(block.queryLength, 21);
}

TEST(DnsQuery, NamesOnTheWire) {
  const std::string label63(63, 'x');
  const std::vector<std::pair<std::string, Bytes>> cases = {
      {"1.2.3.4", {0x01, '1', 0x01, '2', 0x01, '3', 0x01, '4', 0x00}},
      {"a.b.", {0x01, 'a', 0x01, 'b', 0x00}},  // the trailing dot is the root: not sent
      {".", {0x00}},                           // the root alone
      {label63,
       [&] {
         // Sized once and filled in place: growing a one-byte vector makes
         // GCC 12 at -O2 warn falsely about the copy (-Warray-bounds).
         Bytes b(label63.size() + 2, 0);
         b[0] = 63;
         std::copy(label63.begin(), label63.end(), b.begin() + 1);
         return b;
       }()},
  };
  for (const auto& [domain, name] : cases) {
    DnsQueryBlock block;
    ASSERT_TRUE(DnsBuildQuery(domain, block)) << domain;
    const Bytes query = QueryBytes(block);
    ASSERT_EQ(query.size(), 12 + name.size() + 4) << domain;
    EXPECT_EQ(Bytes(query.begin() + 12, query.end() - 4), name) << domain;
    EXPECT_EQ(Bytes(query.end() - 4, query.end()), (Bytes{0, 1, 0, 1})) << domain;
    EXPECT_EQ(block.questionLength, static_cast<int>(name.size() + 4)) << domain;
  }
}

TEST(DnsQuery, TextsThatAreNoNameAreRefused) {
  const std::vector<std::string> refused = {
      "",
      "a..b",
      ".a",
      "a..",
      "..",
      std::string(64, 'x'),
      "a." + std::string(64, 'x') + ".b",
      std::string(300, 'x'),  // a single over-long label that would wrap its length byte
  };
  for (const std::string& domain : refused) {
    DnsQueryBlock block;
    EXPECT_FALSE(DnsBuildQuery(domain, block)) << domain;
    EXPECT_EQ(block.queryLength, 0) << domain;
  }
}

TEST(DnsQuery, LongestNameFitsAndLongerIsRefused) {
  // 63 + 1 + 63 + 1 + 63 + 1 + 61 = 253 bytes of text, 255 on the wire.
  const std::string longest =
      std::string(63, 'a') + '.' + std::string(63, 'b') + '.' + std::string(63, 'c') + '.' + std::string(61, 'd');
  ASSERT_EQ(longest.size(), kMaxDnsNameLength);
  DnsQueryBlock block;
  EXPECT_TRUE(DnsBuildQuery(longest, block));
  EXPECT_EQ(block.questionLength, 255 + 4);
  EXPECT_TRUE(DnsBuildQuery(longest + ".", block));
  DnsQueryBlock refused;
  EXPECT_FALSE(DnsBuildQuery(longest + "d", refused));
  EXPECT_EQ(refused.queryLength, 0);
}

TEST(DnsQuery, OpenResetsTheIdentifierOnlyAboveTen) {
  DnsQueryBlock block;
  dnsQueryId = 11;
  ASSERT_EQ(DnsOpen("127.0.0.1", block), 0);
  DnsBuildQuery("a", block);
  EXPECT_EQ(block.queryId, 1);
  dnsQueryId = 10;
  ASSERT_EQ(DnsOpen("127.0.0.1", block), 0);
  DnsBuildQuery("a", block);
  EXPECT_EQ(block.queryId, 11);
  EXPECT_EQ(DnsOpen(nullptr, block), -1);
}

TEST(DnsOpen, ServerTextThatIsNoAddressGivesAllOnes) {
  DnsQueryBlock block;
  ASSERT_EQ(DnsOpen("dns.example", block), 0);
  EXPECT_EQ(block.serverAddress, kAllOnesAddress);
  ASSERT_EQ(DnsOpen("", block), 0);
  EXPECT_EQ(block.serverAddress, kAllOnesAddress);
}

std::optional<std::string> Parse(const Bytes& reply, std::uint16_t id = 7) {
  const auto address = ParseDnsReply(reply, id);
  if (!address) return std::nullopt;
  return FormatIpv4(*address);
}

TEST(DnsReply, ParserCases) {
  const Record a{Pointer(12), 1, 1, Ipv4Data(1, 2, 3, 4)};
  const Record cname{Pointer(12), 5, 1, test::EncodeName("alias.example")};
  const Record glue{test::EncodeName("ns.example"), 1, 1, Ipv4Data(9, 9, 9, 9)};
  const Record ns{test::EncodeName("example"), 2, 1, test::EncodeName("ns.example")};
  Bytes truncatedName = Reply(7, "a.example", {a});
  truncatedName.resize(12 + 11 + 4 + 1);  // the answer's owner name cut after its first byte

  Bytes looping = Reply(7, "a.example", {Record{Pointer(0), 1, 1, Ipv4Data(1, 1, 1, 1)}});
  // Point the answer's owner at itself.
  const std::size_t ownerAt = 12 + 11 + 4;
  looping[ownerAt + 1] = static_cast<std::uint8_t>(ownerAt);

  struct Case {
    const char* name;
    Bytes reply;
    std::optional<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"plain answer", Reply(7, "a.example", {a}), "1.2.3.4"},
      {"CNAME then A", Reply(7, "a.example", {cname, Record{Pointer(12), 1, 1, Ipv4Data(5, 6, 7, 8)}}), "5.6.7.8"},
      {"uncompressed owner name",
       Reply(7, "a.example", {Record{test::EncodeName("a.example"), 1, 1, Ipv4Data(2, 2, 2, 2)}}), "2.2.2.2"},
      {"class not IN is skipped", Reply(7, "a.example", {Record{Pointer(12), 1, 3, Ipv4Data(3, 3, 3, 3)}}),
       std::nullopt},
      {"class not IN then IN", Reply(7, "a.example", {Record{Pointer(12), 1, 3, Ipv4Data(3, 3, 3, 3)}, a}), "1.2.3.4"},
      {"A with 16 bytes of data", Reply(7, "a.example", {Record{Pointer(12), 1, 1, Bytes(16, 1)}}), std::nullopt},
      {"referral with glue", Reply(7, "a.example", {}, {ns}, {glue}), std::nullopt},
      {"name error", Reply(7, "a.example", {}, {}, {}, 0x8183), std::nullopt},
      {"wrong ID", Reply(8, "a.example", {a}), std::nullopt},
      {"not a response", Reply(7, "a.example", {a}, {}, {}, 0x0100), std::nullopt},
      {"shorter than a header", Bytes{0, 7, 0x81, 0x80, 0, 1}, std::nullopt},
      {"address cut short",
       [&] {
         Bytes r = Reply(7, "a.example", {a});
         r.pop_back();
         return r;
       }(),
       std::nullopt},
      {"truncated owner name", truncatedName, std::nullopt},
      {"looping owner name", looping, std::nullopt},
      {"pointer past the end", Reply(7, "a.example", {Record{Pointer(4000), 1, 1, Ipv4Data(1, 1, 1, 1)}}),
       std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(Parse(c.reply), c.expected) << c.name;
}

TEST(DnsReply, ParseReplyFillsTheBlock) {
  DnsQueryBlock block;
  block.queryId = 7;
  const Bytes reply = Reply(7, "a.example", {Record{Pointer(12), 1, 1, Ipv4Data(1, 2, 3, 4)}});
  std::copy(reply.begin(), reply.end(), block.reply.begin());
  Ipv4NetOrder address = 0;
  EXPECT_EQ(DnsParseReply(static_cast<int>(reply.size()), block, address), 1);
  EXPECT_EQ(FormatIpv4(address), "1.2.3.4");
  EXPECT_EQ(block.resolvedAddress, address);
  EXPECT_EQ(DnsParseReply(5000, block, address), -1);
}

}  // namespace
}  // namespace qnc
