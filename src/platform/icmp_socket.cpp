// The members of IcmpSocket that read the same on every system.
#include "platform/icmp_socket.h"

#include "platform/sockaddr.h"

namespace qnc {

std::optional<std::string> IcmpUnavailableReason() {
  std::string whyNot;
  if (IcmpSocket::Open(&whyNot)) return std::nullopt;
  return whyNot;
}

std::optional<IcmpSocket::Received> IcmpSocket::Receive(std::span<std::uint8_t> buffer, int timeoutMs,
                                                        std::stop_token stop) {
  const auto datagram = ReceiveDatagram(handle_.Get(), buffer, timeoutMs, std::move(stop));
  if (!datagram) return std::nullopt;
  // A raw IPv4 socket delivers each message with its IP header; a datagram
  // socket without it.
  return Received{datagram->size, datagram->from.sin_addr.s_addr, kind_ == Kind::kRaw};
}

std::optional<IcmpSocket::Received> IcmpSocket::ReceiveWaiting(std::span<std::uint8_t> buffer) {
  const auto datagram = ReceiveDatagramWaiting(handle_.Get(), buffer);
  if (!datagram) return std::nullopt;
  return Received{datagram->size, datagram->from.sin_addr.s_addr, kind_ == Kind::kRaw};
}

}  // namespace qnc
