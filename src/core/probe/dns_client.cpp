#include "core/probe/dns_client.h"

#include <algorithm>
#include <cstring>

#include "platform/ticks.h"

namespace qnc {

std::atomic<std::int32_t> dnsQueryId{0};

namespace {

constexpr std::size_t kHeaderSize = kDnsHeaderSize;
constexpr std::uint16_t kTypeA = 1;
constexpr std::uint16_t kClassIn = 1;
constexpr std::uint16_t kResponseBit = 0x8000;
constexpr std::size_t kMaxWireNameLength = 255;

void Put16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value >> 8);
  at[1] = static_cast<std::uint8_t>(value);
}

std::uint16_t Get16(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint16_t>((bytes[offset] << 8) | bytes[offset + 1]);
}

// Walks the name that starts at offset and returns the offset just past it in
// place. Compression pointers are followed to check that the name they lead
// to is whole, but only backwards and at most up to the name length limit, so
// a looping or dangling name is refused.
std::optional<std::size_t> SkipName(std::span<const std::uint8_t> message, std::size_t offset) {
  std::optional<std::size_t> end;  // set at the first pointer: the name continues elsewhere
  std::size_t position = offset;
  std::size_t nameLength = 0;
  for (;;) {
    if (position >= message.size()) return std::nullopt;
    const std::uint8_t length = message[position];
    if ((length & 0xC0) == 0xC0) {
      if (position + 1 >= message.size()) return std::nullopt;
      const std::size_t target = static_cast<std::size_t>(((length & 0x3F) << 8) | message[position + 1]);
      if (!end) end = position + 2;
      if (target >= position) return std::nullopt;  // only backwards: no loops
      position = target;
      continue;
    }
    if ((length & 0xC0) != 0) return std::nullopt;  // reserved label kinds
    if (length == 0) return end ? *end : position + 1;
    nameLength += static_cast<std::size_t>(length) + 1;
    if (nameLength > kMaxWireNameLength) return std::nullopt;
    position += static_cast<std::size_t>(length) + 1;
  }
}

}  // namespace

std::optional<std::vector<std::uint8_t>> EncodeDnsName(std::string_view domain) {
  if (domain.empty()) return std::nullopt;
  if (domain.back() == '.') domain.remove_suffix(1);  // the root's empty label is the final zero byte
  if (domain.size() > kMaxDnsNameLength) return std::nullopt;
  std::vector<std::uint8_t> wire;
  wire.reserve(domain.size() + 2);
  while (!domain.empty()) {
    const std::size_t dot = domain.find('.');
    const std::string_view label = domain.substr(0, dot);
    if (label.empty() || label.size() > kMaxDnsLabelLength) return std::nullopt;
    wire.push_back(static_cast<std::uint8_t>(label.size()));
    wire.insert(wire.end(), label.begin(), label.end());
    if (dot == std::string_view::npos) break;
    domain.remove_prefix(dot + 1);
    if (domain.empty()) return std::nullopt;  // "a.." leaves an empty label before the root
  }
  wire.push_back(0);
  return wire;
}

int DnsOpen(const char* serverText, DnsQueryBlock& block, std::uint16_t serverPort, int replyTimeoutMs) {
  if (serverText == nullptr) return -1;
  block = DnsQueryBlock{};
  // The box holds a dotted address; a longer text cannot be one and is cut.
  block.serverText.assign(serverText, ::strnlen(serverText, 47));
  block.serverPort = serverPort;
  block.replyTimeoutMs = replyTimeoutMs;
  block.socket = UdpSocket::Open();
  if (!block.socket) return -1;
  // A server with nothing on its port answers at once with an ICMP refusal;
  // without this the query would wait out its whole time-out.
  block.socket->ReportDeliveryErrors();
  std::int32_t current = dnsQueryId.load();
  while (current > 10 && !dnsQueryId.compare_exchange_weak(current, 0)) {
  }
  block.serverAddress = InetAddr(block.serverText);
  return 0;
}

std::optional<std::vector<std::uint8_t>> BuildDnsQuery(std::string_view domain, std::uint16_t queryId) {
  domain = domain.substr(0, domain.find('\0'));
  const auto name = EncodeDnsName(domain);
  if (!name) return std::nullopt;
  std::vector<std::uint8_t> query(kHeaderSize + name->size() + 4, 0);
  Put16(&query[0], queryId);
  Put16(&query[2], kDnsQueryFlags);
  Put16(&query[4], 1);  // QDCOUNT; the other three counts stay 0
  std::copy(name->begin(), name->end(), query.begin() + kHeaderSize);
  const std::size_t typeAt = kHeaderSize + name->size();
  Put16(&query[typeAt], kTypeA);
  Put16(&query[typeAt + 2], kClassIn);
  return query;
}

bool DnsBuildQuery(std::string_view domain, DnsQueryBlock& block) {
  domain = domain.substr(0, domain.find('\0'));
  if (!EncodeDnsName(domain)) return false;
  const auto queryId = static_cast<std::uint16_t>(dnsQueryId.fetch_add(1) + 1);
  const auto query = BuildDnsQuery(domain, queryId);
  block.domain.assign(domain);
  block.queryId = queryId;
  block.query.fill(0);
  std::copy(query->begin(), query->end(), block.query.begin());
  block.queryLength = static_cast<int>(query->size());
  block.questionLength = block.queryLength - static_cast<int>(kHeaderSize);
  return true;
}

int DnsQuery(DnsQueryBlock& block, Ipv4NetOrder& address, std::string_view domain, std::stop_token stop) {
  block.failure = FailureReason::kLocalError;
  if (!block.socket) return -1;
  if (!DnsBuildQuery(domain, block)) {
    block.failure = FailureReason::kBadName;
    return -1;
  }
  block.sentAt = std::chrono::steady_clock::now();
  block.socket->SendTo(block.serverAddress, block.serverPort,
                       std::span(block.query.data(), static_cast<std::size_t>(block.queryLength)));
  const std::uint32_t start = TickCount();
  for (;;) {
    const auto waited = static_cast<int>(TickCount() - start);
    if (waited >= block.replyTimeoutMs || stop.stop_requested()) {
      block.repliedAt = std::chrono::steady_clock::now();
      block.failure = FailureReason::kTimeout;
      return -1;
    }
    const auto datagram = block.socket->ReceiveFrom(std::span(block.reply.data(), block.reply.size() - 1),
                                                    block.replyTimeoutMs - waited, stop);
    if (!datagram) continue;
    if (datagram->delivery != UdpSocket::Delivery::kDatagram) {
      // The network turned our query away: nothing listens at the server's
      // port, or the server cannot be reached. Word about another datagram
      // (an earlier query, another destination) does not end the wait.
      const std::span<const std::uint8_t> returned(block.reply.data(), datagram->length);
      if (datagram->from != block.serverAddress || datagram->fromPort != block.serverPort ||
          DnsMessageId(returned) != block.queryId) {
        continue;
      }
      block.repliedAt = std::chrono::steady_clock::now();
      block.failure =
          datagram->delivery == UdpSocket::Delivery::kRefused ? FailureReason::kRefused : FailureReason::kUnreachable;
      return -1;
    }
    // Stray datagrams (another sender, another query, a fragment) do not end
    // the wait: the server's reply may still come.
    if (datagram->from != block.serverAddress || datagram->fromPort != block.serverPort) continue;
    const std::span<const std::uint8_t> reply(block.reply.data(), datagram->length);
    if (reply.size() < kHeaderSize + static_cast<std::size_t>(block.questionLength)) continue;
    if (DnsMessageId(reply) != block.queryId) continue;
    block.repliedAt = std::chrono::steady_clock::now();
    const int result = DnsParseReply(static_cast<int>(datagram->length), block, address);
    block.failure = result > 0 ? FailureReason::kNone : DnsReplyFailure(reply);
    return result;
  }
}

int DnsParseReply(int length, DnsQueryBlock& block, Ipv4NetOrder& address) {
  if (length < 0 || static_cast<std::size_t>(length) > block.reply.size()) return -1;
  block.replyLength = length;
  const auto parsed = ParseDnsReply(std::span(block.reply.data(), static_cast<std::size_t>(length)), block.queryId);
  if (!parsed) return -1;
  block.resolvedAddress = *parsed;
  address = *parsed;
  return 1;
}

FailureReason DnsReplyFailure(std::span<const std::uint8_t> reply) {
  constexpr std::uint16_t kNoError = 0;
  constexpr std::uint16_t kNameError = 3;
  constexpr std::uint16_t kRefusedCode = 5;
  if (reply.size() < kHeaderSize || (Get16(reply, 2) & kResponseBit) == 0) return FailureReason::kTimeout;
  switch (Get16(reply, 2) & 0x000F) {
    case kNameError:
      return FailureReason::kNameNotFound;
    case kNoError:
      // A well-formed answer without an address: the name has no A record.
      return FailureReason::kNameNotFound;
    case kRefusedCode:
      return FailureReason::kRefused;
    default:
      return FailureReason::kTimeout;
  }
}

std::optional<std::uint16_t> DnsMessageId(std::span<const std::uint8_t> message) {
  if (message.size() < 2) return std::nullopt;
  return Get16(message, 0);
}

std::optional<Ipv4NetOrder> ParseDnsReply(std::span<const std::uint8_t> reply, std::uint16_t queryId) {
  if (reply.size() < kHeaderSize) return std::nullopt;
  if (Get16(reply, 0) != queryId) return std::nullopt;
  if ((Get16(reply, 2) & kResponseBit) == 0) return std::nullopt;
  const std::uint16_t questions = Get16(reply, 4);
  const std::uint16_t answers = Get16(reply, 6);

  std::size_t offset = kHeaderSize;
  for (std::uint16_t q = 0; q < questions; ++q) {
    const auto afterName = SkipName(reply, offset);
    if (!afterName || *afterName + 4 > reply.size()) return std::nullopt;
    offset = *afterName + 4;
  }
  for (std::uint16_t a = 0; a < answers; ++a) {
    const auto afterName = SkipName(reply, offset);
    if (!afterName || *afterName + 10 > reply.size()) return std::nullopt;
    const std::size_t fixed = *afterName;
    const std::uint16_t type = Get16(reply, fixed);
    const std::uint16_t klass = Get16(reply, fixed + 2);
    const std::uint16_t dataLength = Get16(reply, fixed + 8);
    const std::size_t data = fixed + 10;
    if (data + dataLength > reply.size()) return std::nullopt;
    if (type == kTypeA && klass == kClassIn && dataLength == 4) {
      Ipv4NetOrder address = 0;
      std::memcpy(&address, &reply[data], sizeof address);  // already in network order
      return address;
    }
    offset = data + dataLength;
  }
  return std::nullopt;
}

}  // namespace qnc
