#include "probe/icmp_probe.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

namespace qnc {

namespace {

constexpr std::uint8_t kEchoRequest = 8;
constexpr std::uint8_t kEchoReply = 0;
constexpr std::uint8_t kDestinationUnreachable = 3;
constexpr std::uint8_t kTimeExceeded = 11;
constexpr std::uint8_t kIcmpProtocol = 1;

// The bytes after a leading IPv4 header, or nothing when it is not one.
std::optional<std::span<const std::uint8_t>> AfterIpHeader(std::span<const std::uint8_t> bytes) {
  if (bytes.empty() || (bytes[0] >> 4) != 4) return std::nullopt;
  const std::size_t headerLength = static_cast<std::size_t>(bytes[0] & 0x0F) * 4;
  if (headerLength < 20 || bytes.size() < headerLength) return std::nullopt;
  return bytes.subspan(headerLength);
}

std::uint16_t ReadLittleEndian16(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

// Says once per process, on standard error, why pings cannot be sent.
void ReportNoIcmpSocketOnce(const std::string& why) {
  static std::once_flag reported;
  std::call_once(reported, [&why] { std::fprintf(stderr, "quorix: ping disabled: %s\n", why.c_str()); });
}

}  // namespace

std::uint16_t InternetChecksum(std::span<const std::uint8_t> bytes) {
  std::uint32_t sum = 0;
  std::size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) sum += static_cast<std::uint32_t>((bytes[i] << 8) | bytes[i + 1]);
  if (i < bytes.size()) sum += static_cast<std::uint32_t>(bytes[i] << 8);
  sum = (sum >> 16) + (sum & 0xFFFFu);
  sum = (sum >> 16) + (sum & 0xFFFFu);
  return static_cast<std::uint16_t>(~sum & 0xFFFFu);
}

IcmpEchoPacket BuildEchoRequest(std::uint16_t identifier, std::uint16_t sequence, std::uint32_t tickStamp) {
  IcmpEchoPacket packet{};
  packet[0] = kEchoRequest;
  packet[1] = 0;
  packet[4] = static_cast<std::uint8_t>(identifier);
  packet[5] = static_cast<std::uint8_t>(identifier >> 8);
  packet[6] = static_cast<std::uint8_t>(sequence);
  packet[7] = static_cast<std::uint8_t>(sequence >> 8);
  for (std::size_t i = 0; i < 4; ++i) packet[9 + i] = static_cast<std::uint8_t>(tickStamp >> (8 * i));
  for (std::size_t i = 13; i < kEchoPacketSize; ++i) packet[i] = static_cast<std::uint8_t>(0x20 + (i - 13));
  const std::uint16_t checksum = InternetChecksum(packet);
  packet[2] = static_cast<std::uint8_t>(checksum >> 8);
  packet[3] = static_cast<std::uint8_t>(checksum);
  return packet;
}

bool IsEchoReplyFor(std::span<const std::uint8_t> bytes, bool includesIpHeader, Ipv4NetOrder sender,
                    const EchoExpectation& expected) {
  if (sender != expected.from) return false;
  if (includesIpHeader) {
    const auto message = AfterIpHeader(bytes);
    if (!message) return false;
    bytes = *message;
  }
  if (bytes.size() < 8) return false;
  return bytes[0] == kEchoReply && bytes[1] == 0 && ReadLittleEndian16(bytes, 4) == expected.identifier &&
         ReadLittleEndian16(bytes, 6) == expected.sequence;
}

bool IsErrorForEcho(std::span<const std::uint8_t> bytes, bool includesIpHeader, const EchoExpectation& expected) {
  if (includesIpHeader) {
    const auto message = AfterIpHeader(bytes);
    if (!message) return false;
    bytes = *message;
  }
  if (bytes.size() < 8 || (bytes[0] != kDestinationUnreachable && bytes[0] != kTimeExceeded)) return false;
  // The error quotes the original IPv4 header and the first 8 bytes of our message.
  const std::span<const std::uint8_t> quoted = bytes.subspan(8);
  const auto original = AfterIpHeader(quoted);
  if (!original || original->size() < 8 || quoted[9] != kIcmpProtocol) return false;
  Ipv4NetOrder destination = 0;
  std::memcpy(&destination, &quoted[16], sizeof destination);
  const std::span<const std::uint8_t> request = *original;
  return destination == expected.from && request[0] == kEchoRequest &&
         ReadLittleEndian16(request, 4) == expected.identifier && ReadLittleEndian16(request, 6) == expected.sequence;
}

std::optional<EchoExpectation> SendEchoRequest(IcmpSocket& socket, Ipv4NetOrder destination, EchoCounters& counters,
                                               const TickSource& ticks) {
  const auto [identifier, sequence] = counters.Take();
  const IcmpEchoPacket packet = BuildEchoRequest(identifier, sequence, ticks.Now());
  if (!socket.SendTo(destination, packet)) return std::nullopt;
  // A datagram socket puts its own identifier on the wire.
  return EchoExpectation{destination, socket.SystemEchoIdentifier().value_or(identifier), sequence};
}

ProbeOutcome Ping(Ipv4NetOrder destination, EchoCounters& counters, const TickSource& ticks, int timeoutMs,
                  std::stop_token stop) {
  using SteadyClock = std::chrono::steady_clock;
  std::string whyNot;
  auto socket = IcmpSocket::Open(&whyNot);
  if (!socket) {
    const int error = LastSocketError();
    ReportNoIcmpSocketOnce(whyNot);
    return {IsPermissionError(error) ? FailureReason::kNoPermission : FailureReason::kLocalError, {}};
  }
  const auto sentAt = SteadyClock::now();
  const auto expected = SendEchoRequest(*socket, destination, counters, ticks);
  if (!expected) {
    const int error = LastSocketError();
    return {IsUnreachableError(error) ? FailureReason::kUnreachable : FailureReason::kLocalError, {}};
  }
  // The wait runs on the real clock; `ticks` only stamps the request.
  const std::uint32_t start = TickCount();
  std::array<std::uint8_t, 1500> buffer{};
  for (;;) {
    const auto waited = static_cast<int>(TickCount() - start);
    if (waited >= timeoutMs || stop.stop_requested()) return {FailureReason::kTimeout, SteadyClock::now() - sentAt};
    const auto received = socket->Receive(buffer, timeoutMs - waited, stop);
    if (!received) continue;
    const auto arrivedAt = SteadyClock::now();
    const std::span<const std::uint8_t> message(buffer.data(), received->length);
    if (IsEchoReplyFor(message, received->includesIpHeader, received->from, *expected)) {
      return {FailureReason::kNone, arrivedAt - sentAt};
    }
    if (IsErrorForEcho(message, received->includesIpHeader, *expected)) {
      return {FailureReason::kUnreachable, arrivedAt - sentAt};
    }
  }
}

}  // namespace qnc
