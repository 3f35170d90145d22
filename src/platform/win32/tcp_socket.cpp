#include "platform/tcp_socket.h"

#include "platform/sockaddr.h"
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

ConnectResult TcpSocket::Connect(Ipv4NetOrder address, std::uint16_t port, int timeoutMs, std::stop_token stop) {
  const NativeSocket socket = handle_.Get();
  connectError_ = 0;
  const auto failed = [this](int error) {
    connectError_ = error;
    return ConnectResult::kFailed;
  };
  if (!SetBlocking(socket, false)) return failed(::WSAGetLastError());
  const sockaddr_in to = MakeSockaddr(address, port);
  if (::connect(socket, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
    if (const int error = ::WSAGetLastError(); error != WSAEWOULDBLOCK) return failed(error);
    switch (WaitWritable(socket, timeoutMs, std::move(stop))) {
      case WaitResult::kReady:
        break;
      case WaitResult::kTimedOut:
        return ConnectResult::kTimedOut;
      case WaitResult::kStopped:
        return ConnectResult::kStopped;
      case WaitResult::kError:
        return failed(::WSAGetLastError());
    }
    // A refused or unreachable connect shows as ready (in the exception set);
    // its reason is the socket's pending error.
    int error = 0;
    int length = sizeof error;
    if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0) {
      return failed(::WSAGetLastError());
    }
    if (error != 0) return failed(error);
  }
  return SetBlocking(socket, true) ? ConnectResult::kConnected : failed(::WSAGetLastError());
}

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
