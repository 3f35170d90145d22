// Tracing a route is not built on Windows yet: the ICMP helper's echo with a
// time to live (IcmpSendEcho2 with IP_OPTION_INFORMATION.Ttl) fits
// TtlEchoSocket as a source of kQuotedError events (IP_TTL_EXPIRED_TRANSIT
// with the replying address), but it is not written. Each entry says so.
#include "platform/ttl_probe.h"

#include "platform/sockaddr.h"

namespace qnc {

namespace {
constexpr const char* kNotBuilt = "route tracing is not available on Windows in this version";
}

std::optional<TtlEchoSocket> TtlEchoSocket::Open(std::string* whyNot) {
  if (whyNot != nullptr) *whyNot = kNotBuilt;
  return std::nullopt;
}

bool TtlEchoSocket::Send(Ipv4NetOrder, int, std::span<const std::uint8_t>) { return false; }

std::optional<std::uint16_t> TtlEchoSocket::SystemEchoIdentifier() const { return std::nullopt; }

std::optional<TtlProbeEvent> TtlEchoSocket::Receive(std::span<std::uint8_t>, int, std::stop_token) {
  return std::nullopt;
}

std::optional<TtlConnect> TtlConnect::Start(Ipv4NetOrder, std::uint16_t, int, std::string* whyNot) {
  if (whyNot != nullptr) *whyNot = kNotBuilt;
  return std::nullopt;
}

TtlConnect::Result TtlConnect::Finish(std::span<std::uint8_t>, TtlProbeEvent&) { return Result::kFailed; }

bool TtlProbesAvailable(std::string* whyNot) {
  if (whyNot != nullptr) *whyNot = kNotBuilt;
  return false;
}

std::optional<std::string> ReverseName(Ipv4NetOrder address) {
  if (!SocketsReady()) return std::nullopt;
  const sockaddr_in from = MakeSockaddr(address, 0);
  char host[NI_MAXHOST];
  if (::getnameinfo(reinterpret_cast<const sockaddr*>(&from), sizeof from, host, sizeof host, nullptr, 0,
                    NI_NAMEREQD) != 0) {
    return std::nullopt;
  }
  return std::string(host);
}

}  // namespace qnc
