// Feeds arbitrary received packets to the reading of route answers: whole
// packets with and without the IPv4 header that raw sockets deliver, and the
// quoted transport headers that the system's error queue hands over.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/route/route_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t selector = data[0];
  const std::span<const std::uint8_t> bytes(data + 1, size - 1);
  if (const auto reply = qnc::ParseRouteReply(bytes, (selector & 1) != 0, 0x0100007F)) {
    // Every reply names a probe of one of the two kinds.
    if (reply->key.protocol != qnc::ProbeProtocol::kIcmpEcho && reply->key.protocol != qnc::ProbeProtocol::kTcp) {
      __builtin_trap();
    }
  }
  const auto protocol = (selector & 2) != 0 ? qnc::ProbeProtocol::kTcp : qnc::ProbeProtocol::kIcmpEcho;
  (void)qnc::RouteReplyFromError(static_cast<std::uint8_t>(selector >> 2), 0, 0x0100007F, protocol, bytes);
  return 0;
}
