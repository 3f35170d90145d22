#include "platform/tcp_socket.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cerrno>

#include "platform/sockaddr.h"

namespace qnc {

namespace {

bool SetBlocking(int fd, bool blocking) {
  const int flags = ::fcntl(fd, F_GETFL, 0);
  if (flags < 0) return false;
  const int wanted = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
  return ::fcntl(fd, F_SETFL, wanted) == 0;
}

bool SetTimeoutOption(int fd, int name, int milliseconds) {
  timeval value{};
  value.tv_sec = milliseconds / 1000;
  value.tv_usec = (milliseconds % 1000) * 1000;
  return ::setsockopt(fd, SOL_SOCKET, name, &value, sizeof value) == 0;
}

}  // namespace

std::optional<TcpSocket> TcpSocket::Open() {
  SocketHandle handle(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!handle.Valid()) return std::nullopt;
  return TcpSocket(std::move(handle));
}

ConnectResult TcpSocket::Connect(Ipv4NetOrder address, std::uint16_t port, int timeoutMs, std::stop_token stop) {
  const int fd = handle_.Get();
  connectError_ = 0;
  const auto failed = [this](int error) {
    connectError_ = error;
    return ConnectResult::kFailed;
  };
  if (!SetBlocking(fd, false)) return failed(errno);
  const sockaddr_in to = MakeSockaddr(address, port);
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
    if (errno != EINPROGRESS) return failed(errno);
    switch (WaitWritable(fd, timeoutMs, std::move(stop))) {
      case WaitResult::kReady:
        break;
      case WaitResult::kTimedOut:
        return ConnectResult::kTimedOut;
      case WaitResult::kStopped:
        return ConnectResult::kStopped;
      case WaitResult::kError:
        return failed(errno);
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return failed(errno);
    if (error != 0) return failed(error);
  }
  return SetBlocking(fd, true) ? ConnectResult::kConnected : failed(errno);
}

bool TcpSocket::SetNonBlocking(bool on) { return SetBlocking(handle_.Get(), !on); }

bool TcpSocket::SetReuseAddress(bool on) { return SetIntOption(handle_.Get(), SOL_SOCKET, SO_REUSEADDR, on ? 1 : 0); }

std::optional<TcpSocket::Accepted> TcpSocket::Accept(int timeoutMs, std::stop_token stop) {
  if (WaitReadable(handle_.Get(), timeoutMs, std::move(stop)) != WaitResult::kReady) return std::nullopt;
  sockaddr_in peer{};
  socklen_t length = sizeof peer;
  SocketHandle accepted(::accept4(handle_.Get(), reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC));
  if (!accepted.Valid()) return std::nullopt;
  return Accepted{TcpSocket(std::move(accepted)), peer.sin_addr.s_addr, ntohs(peer.sin_port)};
}

bool TcpSocket::SetSendTimeout(int milliseconds) { return SetTimeoutOption(handle_.Get(), SO_SNDTIMEO, milliseconds); }
bool TcpSocket::SetUnsentLimit(int bytes) { return SetIntOption(handle_.Get(), IPPROTO_TCP, TCP_NOTSENT_LOWAT, bytes); }
bool TcpSocket::SetReceiveTimeout(int milliseconds) {
  return SetTimeoutOption(handle_.Get(), SO_RCVTIMEO, milliseconds);
}

long TcpSocket::Send(std::span<const std::uint8_t> bytes) {
  for (;;) {
    const auto sent = ::send(handle_.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    return static_cast<long>(sent);
  }
}

long TcpSocket::Receive(std::span<std::uint8_t> buffer) {
  for (;;) {
    const auto received = ::recv(handle_.Get(), buffer.data(), buffer.size(), 0);
    if (received < 0 && errno == EINTR) continue;
    return static_cast<long>(received);
  }
}

}  // namespace qnc
