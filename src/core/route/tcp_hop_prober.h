#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <stop_token>

#include "core/route/hop_prober.h"
#include "platform/ttl_probe.h"

namespace qnc {

// Probes a route with TCP connects to the destination's own port, each with
// a chosen TTL, so that the probes follow the path of the game's traffic
// (routers that balance by port, firewalls that pass only that port). A
// router's error comes back on the probe's own socket; the destination
// answers by accepting or refusing the connect.
class TcpHopProber : public HopProber {
 public:
  TcpHopProber(Ipv4NetOrder destination, std::uint16_t port) : destination_(destination), port_(port) {}

  bool Send(std::uint16_t probe, int ttl) override;
  std::optional<HopAnswer> Wait(int timeoutMs, std::stop_token stop) override;
  void Forget(std::uint16_t probe) override { connects_.erase(probe); }

 private:
  Ipv4NetOrder destination_;
  std::uint16_t port_;
  std::map<std::uint16_t, TtlConnect> connects_;
  std::array<std::uint8_t, 512> buffer_{};
};

}  // namespace qnc
