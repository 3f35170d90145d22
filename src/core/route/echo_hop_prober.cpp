#include "core/route/echo_hop_prober.h"

#include <atomic>
#include <random>

#include "core/probe/icmp_probe.h"
#include "core/route/route_reply.h"
#include "platform/ticks.h"

namespace qnc {

namespace {

// Every trace of the process has an identifier of its own, so that traces
// running side by side on raw sockets (which see every ICMP message) never
// take each other's answers.
std::uint16_t NextIdentifier() {
  static std::atomic<std::uint16_t> next{static_cast<std::uint16_t>(std::random_device{}())};
  std::uint16_t identifier = next.fetch_add(1);
  if (identifier == 0) identifier = next.fetch_add(1);
  return identifier;
}

}  // namespace

std::unique_ptr<EchoHopProber> EchoHopProber::Open(Ipv4NetOrder destination, std::string* whyNot) {
  auto socket = TtlEchoSocket::Open(whyNot);
  if (!socket) return nullptr;
  return std::unique_ptr<EchoHopProber>(new EchoHopProber(std::move(*socket), destination, NextIdentifier()));
}

bool EchoHopProber::Send(std::uint16_t probe, int ttl) {
  const IcmpEchoPacket packet = BuildEchoRequest(identifier_, probe, TickCount());
  if (!socket_.Send(destination_, ttl, packet)) return false;
  // A datagram socket puts its own identifier on the wire.
  if (const auto system = socket_.SystemEchoIdentifier()) identifier_ = *system;
  return true;
}

std::optional<HopAnswer> EchoHopProber::Wait(int timeoutMs, std::stop_token stop) {
  const std::uint32_t start = TickCount();
  for (;;) {
    const int left = timeoutMs - static_cast<int>(TickCount() - start);
    const auto event = socket_.Receive(buffer_, left < 0 ? 0 : left, stop);
    if (!event) return std::nullopt;
    const std::span<const std::uint8_t> bytes(buffer_.data(), event->length);
    const auto reply =
        event->kind == TtlProbeEvent::Kind::kPacket
            ? ParseRouteReply(bytes, event->includesIpHeader, event->from)
            : RouteReplyFromError(event->icmpType, event->icmpCode, event->from, ProbeProtocol::kIcmpEcho, bytes);
    if (!reply || reply->key.protocol != ProbeProtocol::kIcmpEcho || reply->key.first != identifier_) continue;
    // An error must be about a request to our destination (the system's
    // error queue has already checked that; its quote carries no address).
    if (reply->probeDestination != destination_ &&
        !(reply->probeDestination == 0 && event->kind == TtlProbeEvent::Kind::kQuotedError)) {
      continue;
    }
    const bool fromDestination = reply->from == destination_;
    return HopAnswer{
        reply->key.second, reply->from,
        reply->kind == RouteReplyKind::kEchoReply || (reply->kind == RouteReplyKind::kUnreachable && fromDestination)};
  }
}

}  // namespace qnc
