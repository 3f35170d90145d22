#include "platform/udp_socket.h"

#include <linux/errqueue.h>

#include <cerrno>
#include <cstring>

#include "platform/sockaddr.h"

namespace qnc {

namespace {

// The oldest error on the socket's error queue (filled when IP_RECVERR is on)
// that an ICMP message reported for one of our datagrams.
std::optional<UdpSocket::Datagram> QueuedDeliveryError(int fd, std::span<std::uint8_t> buffer) {
  sockaddr_in destination{};
  iovec payload{buffer.data(), buffer.size()};
  alignas(cmsghdr) char control[256];
  msghdr message{};
  message.msg_name = &destination;
  message.msg_namelen = sizeof destination;
  message.msg_iov = &payload;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  const auto received = ::recvmsg(fd, &message, MSG_ERRQUEUE | MSG_DONTWAIT);
  if (received < 0) return std::nullopt;
  for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr; header = CMSG_NXTHDR(&message, header)) {
    if (header->cmsg_level != IPPROTO_IP || header->cmsg_type != IP_RECVERR) continue;
    sock_extended_err error{};
    std::memcpy(&error, CMSG_DATA(header), sizeof error);
    if (error.ee_origin != SO_EE_ORIGIN_ICMP) continue;
    UdpSocket::Delivery delivery = UdpSocket::Delivery::kUnreachable;
    if (error.ee_errno == ECONNREFUSED) {
      delivery = UdpSocket::Delivery::kRefused;
    } else if (error.ee_errno != EHOSTUNREACH && error.ee_errno != ENETUNREACH) {
      continue;  // other ICMP word (a fragmentation notice, a source quench) is no failure of the datagram
    }
    return UdpSocket::Datagram{static_cast<std::size_t>(received), destination.sin_addr.s_addr,
                               ntohs(destination.sin_port), delivery};
  }
  return std::nullopt;
}

}  // namespace

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

bool UdpSocket::ReportDeliveryErrors() { return SetIntOption(handle_.Get(), IPPROTO_IP, IP_RECVERR, 1); }

bool UdpSocket::SendTo(Ipv4NetOrder address, std::uint16_t port, std::span<const std::uint8_t> bytes) {
  const sockaddr_in to = MakeSockaddr(address, port);
  const auto sent = ::sendto(handle_.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL,
                             reinterpret_cast<const sockaddr*>(&to), sizeof to);
  return sent == static_cast<ssize_t>(bytes.size());
}

std::optional<UdpSocket::Datagram> UdpSocket::ReceiveFrom(std::span<std::uint8_t> buffer, int timeoutMs,
                                                          std::stop_token stop) {
  const auto datagram = ReceiveDatagram(handle_.Get(), buffer, timeoutMs, std::move(stop));
  // A queued error makes the socket readable and the plain receive fail; it
  // has to be taken off the queue, or every later wait would end at once.
  if (!datagram) return QueuedDeliveryError(handle_.Get(), buffer);
  return Datagram{datagram->size, datagram->from.sin_addr.s_addr, ntohs(datagram->from.sin_port)};
}

std::optional<UdpSocket::Datagram> UdpSocket::ReceiveWaiting(std::span<std::uint8_t> buffer) {
  const auto datagram = ReceiveDatagramWaiting(handle_.Get(), buffer);
  if (!datagram) return QueuedDeliveryError(handle_.Get(), buffer);
  return Datagram{datagram->size, datagram->from.sin_addr.s_addr, ntohs(datagram->from.sin_port)};
}

}  // namespace qnc
