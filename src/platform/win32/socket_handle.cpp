#include "platform/socket_handle.h"

#include <algorithm>
#include <vector>

#include "platform/ticks.h"
#include "platform/win32/windows_api.h"

namespace qnc {

void SocketHandle::Close() {
  if (fd_ != kInvalidSocket) {
    ::closesocket(fd_);
    fd_ = kInvalidSocket;
  }
}

void SocketHandle::Shutdown() const {
  if (fd_ != kInvalidSocket) ::shutdown(fd_, SD_BOTH);
}

void SocketHandle::ShutdownSending() const {
  if (fd_ != kInvalidSocket) ::shutdown(fd_, SD_SEND);
}

bool WaitSockets(std::span<SocketWatch> sockets, int timeoutMs) {
  std::vector<WSAPOLLFD> entries(sockets.size());
  for (std::size_t i = 0; i < sockets.size(); ++i) {
    const short events = static_cast<short>((sockets[i].read ? POLLRDNORM : 0) | (sockets[i].write ? POLLWRNORM : 0));
    entries[i] = WSAPOLLFD{sockets[i].socket, events, 0};
  }
  const int ready = ::WSAPoll(entries.data(), static_cast<ULONG>(entries.size()), timeoutMs);
  if (ready == SOCKET_ERROR) return false;
  for (std::size_t i = 0; i < sockets.size(); ++i) {
    const short got = ready > 0 ? entries[i].revents : 0;
    sockets[i].readable = (got & (POLLRDNORM | POLLHUP | POLLERR)) != 0;
    sockets[i].writable = (got & (POLLWRNORM | POLLERR)) != 0;
  }
  return true;
}

namespace {

constexpr int kStopSliceMs = 50;

enum class Direction { kRead, kWrite };

WaitResult WaitFor(NativeSocket socket, Direction direction, int timeoutMs, std::stop_token stop) {
  const std::uint32_t start = TickCount();
  for (;;) {
    if (stop.stop_requested()) return WaitResult::kStopped;
    const auto elapsed = static_cast<int>(TickCount() - start);
    const int left = timeoutMs - elapsed;
    if (left <= 0) return WaitResult::kTimedOut;
    const int slice = stop.stop_possible() ? std::min(left, kStopSliceMs) : left;
    fd_set watched;
    FD_ZERO(&watched);
    FD_SET(socket, &watched);
    // A connect that failed shows in the exception set, not the write set.
    fd_set failed;
    FD_ZERO(&failed);
    FD_SET(socket, &failed);
    timeval wait{slice / 1000, (slice % 1000) * 1000};
    const int ready = direction == Direction::kRead ? ::select(0, &watched, nullptr, nullptr, &wait)
                                                    : ::select(0, nullptr, &watched, &failed, &wait);
    if (ready > 0) return WaitResult::kReady;
    if (ready == SOCKET_ERROR) return WaitResult::kError;
  }
}

}  // namespace

WaitResult WaitReadable(NativeSocket fd, int timeoutMs, std::stop_token stop) {
  return WaitFor(fd, Direction::kRead, timeoutMs, std::move(stop));
}

WaitResult WaitWritable(NativeSocket fd, int timeoutMs, std::stop_token stop) {
  return WaitFor(fd, Direction::kWrite, timeoutMs, std::move(stop));
}

int LastSocketError() { return ::WSAGetLastError(); }

// A blocking call past its SO_RCVTIMEO/SO_SNDTIMEO fails with WSAETIMEDOUT;
// a non-blocking one that would wait, with WSAEWOULDBLOCK.
bool IsTimeoutError(int error) { return error == WSAETIMEDOUT || error == WSAEWOULDBLOCK; }

bool IsRefusedError(int error) { return error == WSAECONNREFUSED; }

bool IsUnreachableError(int error) { return error == WSAEHOSTUNREACH || error == WSAENETUNREACH; }

// A raw socket without administrator rights is refused with WSAEACCES.
bool IsPermissionError(int error) { return error == WSAEACCES; }

}  // namespace qnc
