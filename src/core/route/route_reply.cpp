#include "core/route/route_reply.h"

#include <cstring>

namespace qnc {

namespace {

constexpr std::uint8_t kEchoReplyType = 0;
constexpr std::uint8_t kUnreachableType = 3;
constexpr std::uint8_t kEchoRequestType = 8;
constexpr std::uint8_t kTimeExceededType = 11;
constexpr std::size_t kMinIpHeader = 20;
constexpr std::size_t kIcmpHeader = 8;

// The length of a leading IPv4 header, or nothing when the bytes do not
// start with a whole one.
std::optional<std::size_t> IpHeaderLength(std::span<const std::uint8_t> bytes) {
  if (bytes.empty() || (bytes[0] >> 4) != 4) return std::nullopt;
  const std::size_t length = static_cast<std::size_t>(bytes[0] & 0x0F) * 4;
  if (length < kMinIpHeader || bytes.size() < length) return std::nullopt;
  return length;
}

std::uint16_t LittleEndian16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

std::uint16_t BigEndian16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>((bytes[at] << 8) | bytes[at + 1]);
}

std::optional<RouteReplyKind> ErrorKind(std::uint8_t type) {
  if (type == kTimeExceededType) return RouteReplyKind::kTimeExceeded;
  if (type == kUnreachableType) return RouteReplyKind::kUnreachable;
  return std::nullopt;
}

}  // namespace

std::optional<ProbeKey> ParseQuotedProbe(std::uint8_t ipProtocol, std::span<const std::uint8_t> transportHeader) {
  // Routers must quote at least 8 bytes of the transport header; that holds
  // an echo request's identifier and sequence, and TCP's two ports.
  if (transportHeader.size() < 8) return std::nullopt;
  if (ipProtocol == kIcmpProtocolNumber) {
    if (transportHeader[0] != kEchoRequestType || transportHeader[1] != 0) return std::nullopt;
    return ProbeKey{ProbeProtocol::kIcmpEcho, LittleEndian16(transportHeader, 4), LittleEndian16(transportHeader, 6)};
  }
  if (ipProtocol == kTcpProtocolNumber) {
    return ProbeKey{ProbeProtocol::kTcp, BigEndian16(transportHeader, 0), BigEndian16(transportHeader, 2)};
  }
  return std::nullopt;
}

std::optional<RouteReply> ParseRouteReply(std::span<const std::uint8_t> bytes, bool includesIpHeader,
                                          Ipv4NetOrder from) {
  if (includesIpHeader) {
    const auto header = IpHeaderLength(bytes);
    if (!header) return std::nullopt;
    bytes = bytes.subspan(*header);
  }
  if (bytes.size() < kIcmpHeader) return std::nullopt;
  const std::uint8_t type = bytes[0];
  const std::uint8_t code = bytes[1];
  if (type == kEchoReplyType) {
    if (code != 0) return std::nullopt;
    const ProbeKey key{ProbeProtocol::kIcmpEcho, LittleEndian16(bytes, 4), LittleEndian16(bytes, 6)};
    return RouteReply{RouteReplyKind::kEchoReply, 0, from, from, key};
  }
  const auto kind = ErrorKind(type);
  if (!kind) return std::nullopt;
  // The error quotes the probe's IPv4 header and the first bytes after it.
  const std::span<const std::uint8_t> quoted = bytes.subspan(kIcmpHeader);
  const auto quotedHeader = IpHeaderLength(quoted);
  if (!quotedHeader) return std::nullopt;
  const auto key = ParseQuotedProbe(quoted[9], quoted.subspan(*quotedHeader));
  if (!key) return std::nullopt;
  Ipv4NetOrder destination = 0;
  std::memcpy(&destination, &quoted[16], sizeof destination);
  return RouteReply{*kind, code, from, destination, *key};
}

std::optional<RouteReply> RouteReplyFromError(std::uint8_t icmpType, std::uint8_t icmpCode, Ipv4NetOrder from,
                                              ProbeProtocol protocol, std::span<const std::uint8_t> quotedTransport) {
  const auto kind = ErrorKind(icmpType);
  if (!kind) return std::nullopt;
  const auto key =
      ParseQuotedProbe(protocol == ProbeProtocol::kTcp ? kTcpProtocolNumber : kIcmpProtocolNumber, quotedTransport);
  if (!key) return std::nullopt;
  return RouteReply{*kind, icmpCode, from, 0, *key};
}

}  // namespace qnc
