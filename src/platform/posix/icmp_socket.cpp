#include "platform/icmp_socket.h"

#include <linux/icmp.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "platform/sockaddr.h"

namespace qnc {

std::optional<IcmpSocket> IcmpSocket::Open(std::string* whyNot) {
  SocketHandle raw(::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP));
  if (raw.Valid()) return IcmpSocket(std::move(raw), Kind::kRaw);
  const int rawError = errno;
  SocketHandle datagram(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP));
  if (datagram.Valid()) return IcmpSocket(std::move(datagram), Kind::kDatagram);
  const int datagramError = errno;
  if (whyNot != nullptr) {
    *whyNot = std::string("no ICMP socket: raw socket refused (") + std::strerror(rawError) +
              "; needs root or CAP_NET_RAW), ICMP datagram socket refused (" + std::strerror(datagramError) +
              "; see net.ipv4.ping_group_range)";
  }
  // Callers read the reason from the error number: the raw socket's refusal
  // tells whether rights are missing.
  errno = rawError;
  return std::nullopt;
}

bool IcmpSocket::SendTo(Ipv4NetOrder address, std::span<const std::uint8_t> message) {
  const sockaddr_in to = MakeSockaddr(address, 0);
  const auto sent = ::sendto(handle_.Get(), message.data(), message.size(), MSG_NOSIGNAL,
                             reinterpret_cast<const sockaddr*>(&to), sizeof to);
  return sent == static_cast<ssize_t>(message.size());
}

bool IcmpSocket::KeepOnlyRepliesAndErrors() {
  // A datagram socket is already given only the replies to its own requests.
  if (kind_ == Kind::kDatagram) return true;
  // The filter's set bits are the ICMP types the socket is not given.
  icmp_filter filter{};
  filter.data = ~((1U << ICMP_ECHOREPLY) | (1U << ICMP_DEST_UNREACH) | (1U << ICMP_TIME_EXCEEDED));
  return ::setsockopt(handle_.Get(), SOL_RAW, ICMP_FILTER, &filter, sizeof filter) == 0;
}

std::optional<std::uint16_t> IcmpSocket::SystemEchoIdentifier() const {
  if (kind_ == Kind::kRaw) return std::nullopt;
  sockaddr_in local{};
  socklen_t length = sizeof local;
  if (::getsockname(handle_.Get(), reinterpret_cast<sockaddr*>(&local), &length) != 0) return std::nullopt;
  // The kernel puts the socket's port, in network order, into the identifier field.
  std::uint8_t wire[2];
  std::memcpy(wire, &local.sin_port, sizeof wire);
  return static_cast<std::uint16_t>(wire[0] | (wire[1] << 8));
}

}  // namespace qnc
