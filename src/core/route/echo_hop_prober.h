#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>

#include "core/route/hop_prober.h"
#include "platform/ttl_probe.h"

namespace qnc {

// Probes a route with ICMP echo requests of a chosen TTL: the routers'
// time-exceeded errors and the destination's echo reply answer them, each
// matched to its request by the identifier and sequence that the error quotes.
class EchoHopProber : public HopProber {
 public:
  // Nothing, with the reason in whyNot, where no ICMP socket opens.
  static std::unique_ptr<EchoHopProber> Open(Ipv4NetOrder destination, std::string* whyNot = nullptr);

  bool Send(std::uint16_t probe, int ttl) override;
  std::optional<HopAnswer> Wait(int timeoutMs, std::stop_token stop) override;

 private:
  EchoHopProber(TtlEchoSocket socket, Ipv4NetOrder destination, std::uint16_t identifier)
      : socket_(std::move(socket)), destination_(destination), identifier_(identifier) {}

  TtlEchoSocket socket_;
  Ipv4NetOrder destination_;
  std::uint16_t identifier_;  // ours; the system's own on a datagram socket
  std::array<std::uint8_t, 1500> buffer_{};
};

}  // namespace qnc
