#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <stop_token>
#include <string_view>
#include <utility>

#include "core/probe/probe_outcome.h"
#include "platform/icmp_socket.h"
#include "platform/ipv4.h"
#include "platform/ticks.h"

namespace qnc {

inline constexpr std::size_t kEchoPacketSize = 45;
using IcmpEchoPacket = std::array<std::uint8_t, kEchoPacketSize>;

// The identifier and sequence counters of the echo requests. Both start at 1,
// go up by one per request and so always hold the same value.
struct EchoCounters {
  std::uint32_t echoId = 1;
  std::uint32_t echoSeq = 1;
  void Restart() { echoId = echoSeq = 1; }

  // The identifier and sequence of the next request, advancing both; safe
  // while several probes of one worker run at once.
  std::pair<std::uint16_t, std::uint16_t> Take() {
    std::lock_guard lock(mutex);
    const std::pair<std::uint16_t, std::uint16_t> taken{static_cast<std::uint16_t>(echoId),
                                                        static_cast<std::uint16_t>(echoSeq)};
    ++echoId;
    ++echoSeq;
    return taken;
  }
  std::mutex mutex;
};

// RFC 1071 Internet checksum of the bytes (an odd last byte padded with zero),
// in network byte order as the two bytes to store.
std::uint16_t InternetChecksum(std::span<const std::uint8_t> bytes);

// The 45-byte echo request: type 8, code 0, checksum, identifier and sequence
// least significant byte first, a zero byte, the tick stamp least significant
// byte first, and the pattern 0x20..0x3F.
IcmpEchoPacket BuildEchoRequest(std::uint16_t identifier, std::uint16_t sequence, std::uint32_t tickStamp);

// What a received message must be to answer our request.
struct EchoExpectation {
  Ipv4NetOrder from = 0;
  std::uint16_t identifier = 0;  // bytes 4 and 5, least significant byte first
  std::uint16_t sequence = 0;    // bytes 6 and 7, least significant byte first
  bool operator==(const EchoExpectation&) const = default;
};

// The sender, identifier and sequence of an echo reply (type 0, code 0) in
// bytes (as received: with a leading IPv4 header when includesIpHeader);
// nothing for any other message.
std::optional<EchoExpectation> EchoReplyIn(std::span<const std::uint8_t> bytes, bool includesIpHeader,
                                           Ipv4NetOrder sender);

// The destination, identifier and sequence of the echo request that an ICMP
// error (destination unreachable, time exceeded) in bytes quotes; nothing for
// any other message.
std::optional<EchoExpectation> EchoQuotedByError(std::span<const std::uint8_t> bytes, bool includesIpHeader);

// True when bytes (as received: with a leading IPv4 header when
// includesIpHeader) are an echo reply (type 0, code 0) from the expected
// sender with the expected identifier and sequence number.
bool IsEchoReplyFor(std::span<const std::uint8_t> bytes, bool includesIpHeader, Ipv4NetOrder sender,
                    const EchoExpectation& expected);

// True when bytes (as received, see above) are an ICMP error (destination
// unreachable, time exceeded) about our own request: the original header it
// quotes goes to the expected address and carries our identifier and sequence.
bool IsErrorForEcho(std::span<const std::uint8_t> bytes, bool includesIpHeader, const EchoExpectation& expected);

// Builds the next echo request from the counters (advancing them) and sends it.
// Returns the identifier and sequence the request carries, or nothing when the
// send failed.
std::optional<EchoExpectation> SendEchoRequest(IcmpSocket& socket, Ipv4NetOrder destination, EchoCounters& counters,
                                               const TickSource& ticks);

// One probe of an address on an ICMP socket of its own (see EchoFlight for
// probes that share one): send one echo request and wait up to timeoutMs for
// its reply. An ICMP error about the request ends the
// wait as kUnreachable; other messages are read and ignored. The round trip
// runs from the send to the reply.
ProbeOutcome Ping(Ipv4NetOrder destination, EchoCounters& counters, const TickSource& ticks, int timeoutMs = 1000,
                  std::stop_token stop = {});

}  // namespace qnc
