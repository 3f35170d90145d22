#include "platform/icmp_socket.h"

#include "platform/sockaddr.h"
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
  // Callers read the reason from the error number: the raw socket's refusal
  // tells whether rights are missing.
  ::WSASetLastError(rawError);
  return std::nullopt;
}

bool IcmpSocket::SendTo(Ipv4NetOrder address, std::span<const std::uint8_t> message) {
  const sockaddr_in to = MakeSockaddr(address, 0);
  const int sent = ::sendto(handle_.Get(), reinterpret_cast<const char*>(message.data()), WinsockLength(message.size()),
                            0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  return sent >= 0 && static_cast<std::size_t>(sent) == message.size();
}

// Winsock has no filter of ICMP types on a raw socket: the reader sees every
// ICMP message and sorts them itself.
bool IcmpSocket::KeepOnlyRepliesAndErrors() { return false; }

// The identifier on the wire is always ours: the socket is raw.
std::optional<std::uint16_t> IcmpSocket::SystemEchoIdentifier() const { return std::nullopt; }

}  // namespace qnc
