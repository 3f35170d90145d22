#include "core/route/tcp_hop_prober.h"

#include <algorithm>
#include <vector>

#include "core/route/route_reply.h"
#include "platform/ticks.h"

namespace qnc {

namespace {
// Waits are cut into slices so that a stop is seen soon.
constexpr int kSliceMs = 50;
}  // namespace

bool TcpHopProber::Send(std::uint16_t probe, int ttl) {
  auto connect = TtlConnect::Start(destination_, port_, ttl);
  if (!connect) return false;
  connects_.insert_or_assign(probe, std::move(*connect));
  return true;
}

std::optional<HopAnswer> TcpHopProber::Wait(int timeoutMs, std::stop_token stop) {
  const std::uint32_t start = TickCount();
  for (;;) {
    std::vector<SocketWatch> watches;
    std::vector<std::uint16_t> probes;
    for (const auto& [probe, connect] : connects_) {
      watches.push_back(SocketWatch{connect.Native(), true, true, false, false});
      probes.push_back(probe);
    }
    const int left = timeoutMs - static_cast<int>(TickCount() - start);
    if (stop.stop_requested() || left < 0) return std::nullopt;
    if (watches.empty()) {
      // Nothing in flight: wait out the time (stoppably) for the caller's next send.
      if (!WaitSockets(watches, std::min(left, kSliceMs))) return std::nullopt;
      if (left == 0) return std::nullopt;
      continue;
    }
    if (!WaitSockets(watches, std::min(left, kSliceMs))) return std::nullopt;
    for (std::size_t i = 0; i < watches.size(); ++i) {
      if (!watches[i].readable && !watches[i].writable) continue;
      const std::uint16_t probe = probes[i];
      TtlProbeEvent event;
      const auto result = connects_.at(probe).Finish(buffer_, event);
      if (result == TtlConnect::Result::kPending) continue;
      connects_.erase(probe);
      if (result == TtlConnect::Result::kConnected || result == TtlConnect::Result::kRefused) {
        return HopAnswer{probe, destination_, true};
      }
      if (result != TtlConnect::Result::kIcmpError) continue;  // failed without saying where: lost
      const auto reply = RouteReplyFromError(event.icmpType, event.icmpCode, event.from, ProbeProtocol::kTcp,
                                             std::span<const std::uint8_t>(buffer_.data(), event.length));
      if (!reply || reply->key.second != port_) continue;
      return HopAnswer{probe, reply->from, reply->from == destination_};
    }
    if (left == 0) return std::nullopt;
  }
}

}  // namespace qnc
