#include "platform/tcp_socket.h"

#include <algorithm>
#include <vector>

#include "platform/sockaddr.h"
#include "platform/ticks.h"
#include "platform/win32/sockets_started.h"

namespace qnc {

namespace {

bool SetBlocking(NativeSocket socket, bool blocking) {
  u_long nonBlocking = blocking ? 0 : 1;
  return ::ioctlsocket(socket, FIONBIO, &nonBlocking) == 0;
}

// Winsock takes the blocking time-outs as a DWORD of milliseconds.
bool SetTimeoutOption(NativeSocket socket, int name, int milliseconds) {
  const DWORD value = milliseconds > 0 ? static_cast<DWORD>(milliseconds) : 0;
  return ::setsockopt(socket, SOL_SOCKET, name, reinterpret_cast<const char*>(&value), sizeof value) == 0;
}

}  // namespace

std::optional<TcpSocket> TcpSocket::Open() {
  if (!SocketsStarted()) return std::nullopt;
  SocketHandle handle = NewSocket(SOCK_STREAM, IPPROTO_TCP);
  if (!handle.Valid()) return std::nullopt;
  return TcpSocket(std::move(handle));
}

ConnectStart TcpSocket::StartConnect(Ipv4NetOrder address, std::uint16_t port) {
  const NativeSocket socket = handle_.Get();
  connectError_ = 0;
  if (!SetBlocking(socket, false)) {
    connectError_ = ::WSAGetLastError();
    return ConnectStart::kFailed;
  }
  const sockaddr_in to = MakeSockaddr(address, port);
  if (::connect(socket, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0) return ConnectStart::kConnected;
  const int error = ::WSAGetLastError();
  if (error == WSAEWOULDBLOCK) return ConnectStart::kPending;
  connectError_ = error;
  return ConnectStart::kFailed;
}

// A refused or unreachable connect shows as ready (in the exception set); its
// reason is the socket's pending error.
bool TcpSocket::FinishConnect() {
  int error = 0;
  int length = sizeof error;
  if (::getsockopt(handle_.Get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0) {
    error = ::WSAGetLastError();
  }
  connectError_ = error;
  return error == 0;
}

ConnectResult TcpSocket::Connect(Ipv4NetOrder address, std::uint16_t port, int timeoutMs, std::stop_token stop) {
  const NativeSocket socket = handle_.Get();
  switch (StartConnect(address, port)) {
    case ConnectStart::kConnected:
      break;
    case ConnectStart::kFailed:
      return ConnectResult::kFailed;
    case ConnectStart::kPending:
      switch (WaitWritable(socket, timeoutMs, std::move(stop))) {
        case WaitResult::kReady:
          break;
        case WaitResult::kTimedOut:
          return ConnectResult::kTimedOut;
        case WaitResult::kStopped:
          return ConnectResult::kStopped;
        case WaitResult::kError:
          connectError_ = ::WSAGetLastError();
          return ConnectResult::kFailed;
      }
      if (!FinishConnect()) return ConnectResult::kFailed;
      break;
  }
  if (SetBlocking(socket, true)) return ConnectResult::kConnected;
  connectError_ = ::WSAGetLastError();
  return ConnectResult::kFailed;
}

namespace {

// A Winsock socket set of any size: fd_set is a count followed by an array
// whose declared length (FD_SETSIZE) select does not rely on, so a set with
// more sockets is the same layout with a longer array.
class SocketSet {
 public:
  explicit SocketSet(std::span<const NativeSocket> sockets) : slots_(sockets.size() + 1, 0) {
    auto* set = reinterpret_cast<fd_set*>(slots_.data());
    set->fd_count = static_cast<u_int>(sockets.size());
    for (std::size_t i = 0; i < sockets.size(); ++i) set->fd_array[i] = sockets[i];
  }
  fd_set* Get() { return reinterpret_cast<fd_set*>(slots_.data()); }
  bool Has(NativeSocket socket) { return FD_ISSET(socket, Get()) != 0; }

 private:
  // One slot for the count (padded to a socket's size, as in fd_set), then the sockets.
  std::vector<SOCKET> slots_;
};

}  // namespace

WaitResult WaitForConnects(std::span<const NativeSocket> sockets, int timeoutMs, std::stop_token stop,
                           std::vector<std::size_t>& ended) {
  constexpr int kStopSliceMs = 50;
  ended.clear();
  const std::uint32_t start = TickCount();
  // A wait of 0 still looks once.
  for (bool looked = false;; looked = true) {
    if (stop.stop_requested()) return WaitResult::kStopped;
    const int left = std::max(0, timeoutMs - static_cast<int>(TickCount() - start));
    if (left == 0 && looked) return WaitResult::kTimedOut;
    const int slice = stop.stop_possible() ? std::min(left, kStopSliceMs) : left;
    if (sockets.empty()) {
      // select wants at least one socket; with none this is a plain pause.
      ::Sleep(static_cast<DWORD>(slice));
      continue;
    }
    SocketSet connected(sockets);
    // A connect that failed shows in the exception set, not the write set.
    SocketSet failed(sockets);
    timeval wait{slice / 1000, (slice % 1000) * 1000};
    const int ready = ::select(0, nullptr, connected.Get(), failed.Get(), &wait);
    if (ready == SOCKET_ERROR) return WaitResult::kError;
    if (ready == 0) continue;
    for (std::size_t i = 0; i < sockets.size(); ++i) {
      if (connected.Has(sockets[i]) || failed.Has(sockets[i])) ended.push_back(i);
    }
    return WaitResult::kReady;
  }
}

// Windows sets no small limit on a process's sockets.
std::size_t ConnectSocketBudget() { return 16384; }

// Windows lets a listener bind over connections left in TIME_WAIT without
// asking; what SO_REUSEADDR means there is letting a second program take the
// port too. So "reuse" here asks for the port to stay ours alone.
bool TcpSocket::SetNonBlocking(bool on) { return SetBlocking(handle_.Get(), !on); }

bool TcpSocket::SetReuseAddress(bool on) {
  return SetIntOption(handle_.Get(), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, on ? 1 : 0);
}

std::optional<TcpSocket::Accepted> TcpSocket::Accept(int timeoutMs, std::stop_token stop) {
  if (WaitReadable(handle_.Get(), timeoutMs, std::move(stop)) != WaitResult::kReady) return std::nullopt;
  sockaddr_in peer{};
  int length = sizeof peer;
  SocketHandle accepted(::accept(handle_.Get(), reinterpret_cast<sockaddr*>(&peer), &length));
  if (!accepted.Valid()) return std::nullopt;
  ::SetHandleInformation(reinterpret_cast<HANDLE>(accepted.Get()), HANDLE_FLAG_INHERIT, 0);
  return Accepted{TcpSocket(std::move(accepted)), peer.sin_addr.s_addr, ntohs(peer.sin_port)};
}

// Windows has no limit on a socket's unsent bytes (Linux's TCP_NOTSENT_LOWAT):
// the sender then fills the send buffer, which only costs some cache warmth.
bool TcpSocket::SetUnsentLimit(int /*bytes*/) { return false; }

bool TcpSocket::SetSendTimeout(int milliseconds) { return SetTimeoutOption(handle_.Get(), SO_SNDTIMEO, milliseconds); }
bool TcpSocket::SetReceiveTimeout(int milliseconds) {
  return SetTimeoutOption(handle_.Get(), SO_RCVTIMEO, milliseconds);
}

// Windows raises no signal on a send to a closed connection.
long TcpSocket::Send(std::span<const std::uint8_t> bytes) {
  const int sent = ::send(handle_.Get(), reinterpret_cast<const char*>(bytes.data()), WinsockLength(bytes.size()), 0);
  return sent == SOCKET_ERROR ? -1L : static_cast<long>(sent);
}

long TcpSocket::Receive(std::span<std::uint8_t> buffer) {
  const int received = ::recv(handle_.Get(), reinterpret_cast<char*>(buffer.data()), WinsockLength(buffer.size()), 0);
  return received == SOCKET_ERROR ? -1L : static_cast<long>(received);
}

}  // namespace qnc
