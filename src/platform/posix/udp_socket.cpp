#include "platform/udp_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "platform/posix/sockaddr.h"

namespace qnc {

std::optional<UdpSocket> UdpSocket::Open() {
  SocketHandle handle(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  if (!handle.Valid()) return std::nullopt;
  return UdpSocket(std::move(handle));
}

bool UdpSocket::Bind(Ipv4NetOrder address, std::uint16_t port) {
  const sockaddr_in local = MakeSockaddr(address, port);
  return ::bind(handle_.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
}

std::uint16_t UdpSocket::LocalPort() const { return LocalPortOf(handle_.Get()); }

bool UdpSocket::SendTo(Ipv4NetOrder address, std::uint16_t port, std::span<const std::uint8_t> bytes) {
  const sockaddr_in to = MakeSockaddr(address, port);
  const auto sent = ::sendto(handle_.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL,
                             reinterpret_cast<const sockaddr*>(&to), sizeof to);
  return sent == static_cast<ssize_t>(bytes.size());
}

std::optional<UdpSocket::Datagram> UdpSocket::ReceiveFrom(std::span<std::uint8_t> buffer, int timeoutMs,
                                                          std::stop_token stop) {
  const auto datagram = ReceiveDatagram(handle_.Get(), buffer, timeoutMs, std::move(stop));
  if (!datagram) return std::nullopt;
  return Datagram{datagram->size, datagram->from.sin_addr.s_addr, ntohs(datagram->from.sin_port)};
}

}  // namespace qnc
