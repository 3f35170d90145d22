#include "platform/icmp_socket.h"

#include "platform/win32/sockaddr.h"
#include "platform/win32/sockets_started.h"
#include "platform/win32/wide_text.h"

namespace qnc {

// Windows has no unprivileged ICMP socket: only a raw one, which needs an
// administrator. (IcmpSendEcho would need none, but it hides the packet.)
std::optional<IcmpSocket> IcmpSocket::Open(std::string* whyNot) {
  if (!SocketsStarted()) {
    if (whyNot != nullptr) *whyNot = "no ICMP socket: Winsock 2.2 did not start";
    return std::nullopt;
  }
  SocketHandle raw = NewSocket(SOCK_RAW, IPPROTO_ICMP);
  if (raw.Valid()) return IcmpSocket(std::move(raw), Kind::kRaw);
  const int rawError = ::WSAGetLastError();
  if (whyNot != nullptr) {
    *whyNot = "no ICMP socket: raw socket refused (" + SystemErrorText(static_cast<unsigned long>(rawError)) +
              "; needs a program run as administrator)";
  }
  return std::nullopt;
}

std::optional<std::string> IcmpUnavailableReason() {
  std::string whyNot;
  if (IcmpSocket::Open(&whyNot)) return std::nullopt;
  return whyNot;
}

bool IcmpSocket::SendTo(Ipv4NetOrder address, std::span<const std::uint8_t> message) {
  const sockaddr_in to = MakeSockaddr(address, 0);
  const int sent = ::sendto(handle_.Get(), reinterpret_cast<const char*>(message.data()),
                            WinsockLength(message.size()), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  return sent >= 0 && static_cast<std::size_t>(sent) == message.size();
}

// The identifier on the wire is always ours: the socket is raw.
std::optional<std::uint16_t> IcmpSocket::SystemEchoIdentifier() const { return std::nullopt; }

std::optional<IcmpSocket::Received> IcmpSocket::Receive(std::span<std::uint8_t> buffer, int timeoutMs,
                                                        std::stop_token stop) {
  const auto datagram = ReceiveDatagram(handle_.Get(), buffer, timeoutMs, std::move(stop));
  if (!datagram) return std::nullopt;
  // A raw IPv4 socket delivers each message with its IP header.
  return Received{datagram->size, datagram->from.sin_addr.s_addr, true};
}

}  // namespace qnc
