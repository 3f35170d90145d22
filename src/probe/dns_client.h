#pragma once
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>

#include "platform/ipv4.h"
#include "platform/udp_socket.h"

namespace qnc {

// The longest domain text a query carries: the query buffer holds 1024 bytes,
// 18 of them header, type, class and the name's first length and last zero byte.
inline constexpr std::size_t kMaxDnsNameLength = 1006;
inline constexpr std::size_t kDnsBufferSize = 1024;
inline constexpr std::uint16_t kDnsPort = 53;
inline constexpr int kDnsReplyTimeoutMs = 5000;

// Flags of our query: a standard query with recursion desired.
inline constexpr std::uint16_t kDnsQueryFlags = 0x0100;

// The state of one query, owned by its caller for that one query.
struct DnsQueryBlock {
  std::uint16_t queryId = 0;
  std::optional<UdpSocket> socket;
  int queryLength = 0;
  int replyLength = 0;
  int questionLength = 0;
  Ipv4NetOrder serverAddress = 0;
  std::uint16_t serverPort = kDnsPort;
  int replyTimeoutMs = kDnsReplyTimeoutMs;
  std::string domain;
  Ipv4NetOrder resolvedAddress = 0;
  std::string serverText;
  std::array<std::uint8_t, kDnsBufferSize> query{};
  std::array<std::uint8_t, kDnsBufferSize> reply{};
};

// The counter that query identifiers come from: reset to 0 by DnsOpen when it
// is above 10, incremented by every query built.
extern std::atomic<std::int32_t> dnsQueryId;

// Prepares the block and its UDP socket for the server at serverText (dotted
// IPv4; any other text gives the all-ones address, as inet_addr does).
// Returns 0 when ready, -1 when there is no server text or no socket.
int DnsOpen(const char* serverText, DnsQueryBlock& block, std::uint16_t serverPort = kDnsPort,
            int replyTimeoutMs = kDnsReplyTimeoutMs);

// Writes the A query for domain into the block. False (and no query) when the
// domain is longer than kMaxDnsNameLength.
bool DnsBuildQuery(std::string_view domain, DnsQueryBlock& block);

// Sends the A query for domain and waits for its reply: 1 and the address
// (network byte order) when the reply gave one, -1 otherwise. Datagrams from
// another sender or with another identifier are ignored while the wait lasts.
int DnsQuery(DnsQueryBlock& block, Ipv4NetOrder& address, std::string_view domain, std::stop_token stop = {});

// Parses the first `length` bytes of the block's reply buffer.
int DnsParseReply(int length, DnsQueryBlock& block, Ipv4NetOrder& address);

// The reply parser itself: the address of the first answer record of type A,
// class IN and 4 bytes of data, in a well-formed response carrying queryId.
std::optional<Ipv4NetOrder> ParseDnsReply(std::span<const std::uint8_t> reply, std::uint16_t queryId);

// The identifier of a message, when it is long enough to have one.
std::optional<std::uint16_t> DnsMessageId(std::span<const std::uint8_t> message);

}  // namespace qnc
