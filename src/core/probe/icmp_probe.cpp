#include "core/probe/icmp_probe.h"

#include <cstring>

#include "core/probe/echo_flight.h"

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

std::optional<EchoExpectation> EchoReplyIn(std::span<const std::uint8_t> bytes, bool includesIpHeader,
                                           Ipv4NetOrder sender) {
  if (includesIpHeader) {
    const auto message = AfterIpHeader(bytes);
    if (!message) return std::nullopt;
    bytes = *message;
  }
  if (bytes.size() < 8 || bytes[0] != kEchoReply || bytes[1] != 0) return std::nullopt;
  return EchoExpectation{sender, ReadLittleEndian16(bytes, 4), ReadLittleEndian16(bytes, 6)};
}

std::optional<EchoExpectation> EchoQuotedByError(std::span<const std::uint8_t> bytes, bool includesIpHeader) {
  if (includesIpHeader) {
    const auto message = AfterIpHeader(bytes);
    if (!message) return std::nullopt;
    bytes = *message;
  }
  if (bytes.size() < 8 || (bytes[0] != kDestinationUnreachable && bytes[0] != kTimeExceeded)) return std::nullopt;
  // The error quotes the original IPv4 header and the first 8 bytes of our message.
  const std::span<const std::uint8_t> quoted = bytes.subspan(8);
  const auto original = AfterIpHeader(quoted);
  if (!original || original->size() < 8 || quoted[9] != kIcmpProtocol) return std::nullopt;
  const std::span<const std::uint8_t> request = *original;
  if (request[0] != kEchoRequest) return std::nullopt;
  Ipv4NetOrder destination = 0;
  std::memcpy(&destination, &quoted[16], sizeof destination);
  return EchoExpectation{destination, ReadLittleEndian16(request, 4), ReadLittleEndian16(request, 6)};
}

bool IsEchoReplyFor(std::span<const std::uint8_t> bytes, bool includesIpHeader, Ipv4NetOrder sender,
                    const EchoExpectation& expected) {
  return EchoReplyIn(bytes, includesIpHeader, sender) == expected;
}

bool IsErrorForEcho(std::span<const std::uint8_t> bytes, bool includesIpHeader, const EchoExpectation& expected) {
  return EchoQuotedByError(bytes, includesIpHeader) == expected;
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
  EchoFlight flight;
  return flight.PingOne(destination, counters, ticks, timeoutMs, std::move(stop));
}

}  // namespace qnc
