#pragma once
#include <cstdint>
#include <optional>
#include <span>

#include "platform/ipv4.h"

namespace qnc {

// The transport header of a probe, as an ICMP error quotes it.
enum class ProbeProtocol : std::uint8_t { kIcmpEcho, kTcp };

// What identifies one probe on the wire. Echo requests: identifier and
// sequence (bytes 4 to 7, each read least significant byte first, as the echo
// requests are built). TCP: the source and destination port.
struct ProbeKey {
  ProbeProtocol protocol = ProbeProtocol::kIcmpEcho;
  std::uint16_t first = 0;   // identifier, or source port
  std::uint16_t second = 0;  // sequence, or destination port
  bool operator==(const ProbeKey&) const = default;
};

enum class RouteReplyKind : std::uint8_t {
  kEchoReply,     // the destination answered an echo request
  kTimeExceeded,  // a router on the way: the probe's time to live ran out there
  kUnreachable,   // a router or the destination: it cannot deliver the probe (code says why)
};

// One answer to a probe of a route: who sent it, which probe it is about, and
// where that probe was going.
struct RouteReply {
  RouteReplyKind kind = RouteReplyKind::kEchoReply;
  std::uint8_t code = 0;
  Ipv4NetOrder from = 0;
  Ipv4NetOrder probeDestination = 0;  // echo reply: its sender; errors: the quoted destination
  ProbeKey key;
  bool operator==(const RouteReply&) const = default;
};

inline constexpr std::uint8_t kIcmpProtocolNumber = 1;
inline constexpr std::uint8_t kTcpProtocolNumber = 6;

// The key of a probe from the first bytes of its transport header (IP
// protocol 1: an echo request, 6: TCP); nothing when too short or another kind.
std::optional<ProbeKey> ParseQuotedProbe(std::uint8_t ipProtocol, std::span<const std::uint8_t> transportHeader);

// A received ICMP message (after a leading IPv4 header when includesIpHeader,
// as raw sockets deliver it) read as an answer to a probe: an echo reply, or a
// time-exceeded or destination-unreachable error quoting the IPv4 header and
// the first 8 bytes of an echo request or a TCP segment. Nothing for any
// other message, a truncated one, or a quote of something else.
std::optional<RouteReply> ParseRouteReply(std::span<const std::uint8_t> bytes, bool includesIpHeader,
                                          Ipv4NetOrder from);

// An ICMP error that the system has already matched to our socket (type and
// code, the router that sent it, the quoted transport header of our probe).
// The quoted destination is not known here and is left 0.
std::optional<RouteReply> RouteReplyFromError(std::uint8_t icmpType, std::uint8_t icmpCode, Ipv4NetOrder from,
                                              ProbeProtocol protocol, std::span<const std::uint8_t> quotedTransport);

}  // namespace qnc
