#pragma once
#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "core/probe/failure_reason.h"
#include "platform/ipv4.h"
#include "platform/udp_socket.h"

namespace qnc {

// The longest domain text a query carries, without a trailing dot: on the wire
// a name is at most 255 bytes, its labels' lengths and texts plus the final zero.
inline constexpr std::size_t kMaxDnsNameLength = 253;
// A label's length byte keeps six bits for the length.
inline constexpr std::size_t kMaxDnsLabelLength = 63;
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
  // How the query went: when it was sent and its reply came (steady clock),
  // and why it gave no address (kNone when it did).
  std::chrono::steady_clock::time_point sentAt{};
  std::chrono::steady_clock::time_point repliedAt{};
  FailureReason failure = FailureReason::kLocalError;
};

// The counter that query identifiers come from: reset to 0 by DnsOpen when it
// is above 10, incremented by every query built.
extern std::atomic<std::int32_t> dnsQueryId;

// Prepares the block and its UDP socket for the server at serverText (dotted
// IPv4; any other text gives the all-ones address, as inet_addr does).
// Returns 0 when ready, -1 when there is no server text or no socket.
int DnsOpen(const char* serverText, DnsQueryBlock& block, std::uint16_t serverPort = kDnsPort,
            int replyTimeoutMs = kDnsReplyTimeoutMs);

// A domain text as it goes on the wire: length-prefixed labels and the final
// zero byte; nothing for a text DnsBuildQuery refuses.
std::optional<std::vector<std::uint8_t>> EncodeDnsName(std::string_view domain);

// The A query for domain with identifier queryId, as it goes on the wire;
// nothing for a text that DnsBuildQuery refuses (see there). The text ends at
// its first zero byte.
std::optional<std::vector<std::uint8_t>> BuildDnsQuery(std::string_view domain, std::uint16_t queryId);

// The header size of every DNS message.
inline constexpr std::size_t kDnsHeaderSize = 12;

// Writes the A query for domain into the block. A trailing dot names the root
// and is not sent; "." alone is the root itself. False (and no query) for a text
// that is no domain name: empty, an empty label (a leading dot, two dots in a
// row), a label over kMaxDnsLabelLength bytes or a name over kMaxDnsNameLength.
bool DnsBuildQuery(std::string_view domain, DnsQueryBlock& block);

// Sends the A query for domain and waits for its reply: 1 and the address
// (network byte order) when the reply gave one, -1 otherwise, at once without
// sending when the domain is refused. Datagrams that cannot be the reply
// (another sender, another identifier, shorter than header and question) are
// ignored while the wait lasts. Word from the network that the query was
// turned away (nothing listens at the server's port, the server cannot be
// reached) ends the wait at once with -1, where the system reports it. The
// block's sentAt, repliedAt and failure say how it went.
int DnsQuery(DnsQueryBlock& block, Ipv4NetOrder& address, std::string_view domain, std::stop_token stop = {});

// Why a reply to our query gave no address: the name does not exist (NXDOMAIN)
// or has no address (an empty answer), the server refused to answer, or
// anything else (a server failure, an unusable reply), which counts like a
// reply that never came.
FailureReason DnsReplyFailure(std::span<const std::uint8_t> reply);

// Parses the first `length` bytes of the block's reply buffer.
int DnsParseReply(int length, DnsQueryBlock& block, Ipv4NetOrder& address);

// The reply parser itself: the address of the first answer record of type A,
// class IN and 4 bytes of data, in a well-formed response carrying queryId.
std::optional<Ipv4NetOrder> ParseDnsReply(std::span<const std::uint8_t> reply, std::uint16_t queryId);

// The identifier of a message, when it is long enough to have one.
std::optional<std::uint16_t> DnsMessageId(std::span<const std::uint8_t> message);

}  // namespace qnc
