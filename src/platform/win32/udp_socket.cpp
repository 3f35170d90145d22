#include "platform/udp_socket.h"

#include "platform/sockaddr.h"
#include "platform/win32/sockets_started.h"

namespace qnc {

namespace {

// Windows reports an ICMP "port unreachable" that answered an earlier send as
// a failed receive (WSAECONNRESET), which would end a wait for the answer
// early. Like Linux, an unconnected socket then just waits on.
void IgnorePortUnreachable(NativeSocket socket) {
  BOOL report = FALSE;
  DWORD returned = 0;
  ::WSAIoctl(socket, SIO_UDP_CONNRESET, &report, sizeof report, nullptr, 0, &returned, nullptr, nullptr);
}

}  // namespace

std::optional<UdpSocket> UdpSocket::Open() {
  if (!SocketsStarted()) return std::nullopt;
  SocketHandle handle = NewSocket(SOCK_DGRAM, IPPROTO_UDP);
  if (!handle.Valid()) return std::nullopt;
  IgnorePortUnreachable(handle.Get());
  return UdpSocket(std::move(handle));
}

bool UdpSocket::Bind(Ipv4NetOrder address, std::uint16_t port) {
  const sockaddr_in local = MakeSockaddr(address, port);
  return ::bind(handle_.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
}

std::uint16_t UdpSocket::LocalPort() const { return LocalPortOf(handle_.Get()); }

// Winsock reports a port unreachable only as WSAECONNRESET on a later receive,
// with no word of which destination refused, so a refusal could not be told
// from one meant for another datagram: such reports stay off (see Open).
bool UdpSocket::ReportDeliveryErrors() { return false; }

bool UdpSocket::SendTo(Ipv4NetOrder address, std::uint16_t port, std::span<const std::uint8_t> bytes) {
  const sockaddr_in to = MakeSockaddr(address, port);
  const int sent = ::sendto(handle_.Get(), reinterpret_cast<const char*>(bytes.data()), WinsockLength(bytes.size()), 0,
                            reinterpret_cast<const sockaddr*>(&to), sizeof to);
  return sent >= 0 && static_cast<std::size_t>(sent) == bytes.size();
}

std::optional<UdpSocket::Datagram> UdpSocket::ReceiveFrom(std::span<std::uint8_t> buffer, int timeoutMs,
                                                          std::stop_token stop) {
  const auto datagram = ReceiveDatagram(handle_.Get(), buffer, timeoutMs, std::move(stop));
  if (!datagram) return std::nullopt;
  return Datagram{datagram->size, datagram->from.sin_addr.s_addr, ntohs(datagram->from.sin_port)};
}

std::optional<UdpSocket::Datagram> UdpSocket::ReceiveWaiting(std::span<std::uint8_t> buffer) {
  const auto datagram = ReceiveDatagramWaiting(handle_.Get(), buffer);
  if (!datagram) return std::nullopt;
  return Datagram{datagram->size, datagram->from.sin_addr.s_addr, ntohs(datagram->from.sin_port)};
}

}  // namespace qnc
