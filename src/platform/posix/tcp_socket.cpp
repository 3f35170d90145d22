#include "platform/tcp_socket.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "platform/sockaddr.h"
#include "platform/ticks.h"

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

ConnectStart TcpSocket::StartConnect(Ipv4NetOrder address, std::uint16_t port) {
  const int fd = handle_.Get();
  connectError_ = 0;
  if (!SetBlocking(fd, false)) {
    connectError_ = errno;
    return ConnectStart::kFailed;
  }
  const sockaddr_in to = MakeSockaddr(address, port);
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0) return ConnectStart::kConnected;
  if (errno == EINPROGRESS) return ConnectStart::kPending;
  connectError_ = errno;
  return ConnectStart::kFailed;
}

bool TcpSocket::FinishConnect() {
  int error = 0;
  socklen_t length = sizeof error;
  if (::getsockopt(handle_.Get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
  connectError_ = error;
  return error == 0;
}

ConnectResult TcpSocket::Connect(Ipv4NetOrder address, std::uint16_t port, int timeoutMs, std::stop_token stop) {
  const int fd = handle_.Get();
  switch (StartConnect(address, port)) {
    case ConnectStart::kConnected:
      break;
    case ConnectStart::kFailed:
      return ConnectResult::kFailed;
    case ConnectStart::kPending:
      switch (WaitWritable(fd, timeoutMs, std::move(stop))) {
        case WaitResult::kReady:
          break;
        case WaitResult::kTimedOut:
          return ConnectResult::kTimedOut;
        case WaitResult::kStopped:
          return ConnectResult::kStopped;
        case WaitResult::kError:
          connectError_ = errno;
          return ConnectResult::kFailed;
      }
      if (!FinishConnect()) return ConnectResult::kFailed;
      break;
  }
  if (SetBlocking(fd, true)) return ConnectResult::kConnected;
  connectError_ = errno;
  return ConnectResult::kFailed;
}

WaitResult WaitForConnects(std::span<const NativeSocket> sockets, int timeoutMs, std::stop_token stop,
                           std::vector<std::size_t>& ended) {
  constexpr int kStopSliceMs = 50;
  ended.clear();
  std::vector<pollfd> entries(sockets.size());
  for (std::size_t i = 0; i < sockets.size(); ++i) entries[i] = pollfd{sockets[i], POLLOUT, 0};
  const std::uint32_t start = TickCount();
  // A wait of 0 still looks once.
  for (bool looked = false;; looked = true) {
    if (stop.stop_requested()) return WaitResult::kStopped;
    const int left = std::max(0, timeoutMs - static_cast<int>(TickCount() - start));
    if (left == 0 && looked) return WaitResult::kTimedOut;
    const int slice = stop.stop_possible() ? std::min(left, kStopSliceMs) : left;
    const int ready = ::poll(entries.data(), entries.size(), slice);
    if (ready < 0 && errno != EINTR) return WaitResult::kError;
    if (ready <= 0) continue;
    // A failed connect shows as POLLERR or POLLHUP beside or instead of POLLOUT.
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (entries[i].revents != 0) ended.push_back(i);
    }
    return WaitResult::kReady;
  }
}

std::size_t ConnectSocketBudget() {
  // Descriptors kept for everything else the process opens (files, the other
  // workers' sockets, the metrics server's connections).
  constexpr rlim_t kKeptBack = 256;
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
  if (limit.rlim_cur < limit.rlim_max) {
    rlimit raised = limit;
    raised.rlim_cur = limit.rlim_max;
    if (::setrlimit(RLIMIT_NOFILE, &raised) == 0) limit = raised;
  }
  if (limit.rlim_cur == RLIM_INFINITY) return SIZE_MAX;
  return limit.rlim_cur > kKeptBack ? static_cast<std::size_t>(limit.rlim_cur - kKeptBack) : 0;
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
