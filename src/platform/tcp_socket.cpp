// The members of TcpSocket that read the same on every system.
#include "platform/tcp_socket.h"

#include "platform/sockaddr.h"
#include "platform/socket_api.h"

namespace qnc {

bool TcpSocket::Bind(Ipv4NetOrder address, std::uint16_t port) {
  const sockaddr_in local = MakeSockaddr(address, port);
  return ::bind(handle_.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
}

bool TcpSocket::Listen(int backlog) { return ::listen(handle_.Get(), backlog) == 0; }

std::uint16_t TcpSocket::LocalPort() const { return LocalPortOf(handle_.Get()); }

bool TcpSocket::SetSendBufferSize(int bytes) { return SetIntOption(handle_.Get(), SOL_SOCKET, SO_SNDBUF, bytes); }
bool TcpSocket::SetReceiveBufferSize(int bytes) { return SetIntOption(handle_.Get(), SOL_SOCKET, SO_RCVBUF, bytes); }

}  // namespace qnc
