#include "platform/socket_handle.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/ticks.h"

namespace qnc {

void SocketHandle::Close() {
  if (fd_ != kInvalidSocket) {
    ::close(fd_);
    fd_ = kInvalidSocket;
  }
}

void SocketHandle::Shutdown() const {
  if (fd_ != kInvalidSocket) ::shutdown(fd_, SHUT_RDWR);
}

void SocketHandle::ShutdownSending() const {
  if (fd_ != kInvalidSocket) ::shutdown(fd_, SHUT_WR);
}

bool WaitSockets(std::span<SocketWatch> sockets, int timeoutMs) {
  std::vector<pollfd> entries(sockets.size());
  for (std::size_t i = 0; i < sockets.size(); ++i) {
    const short events = static_cast<short>((sockets[i].read ? POLLIN : 0) | (sockets[i].write ? POLLOUT : 0));
    entries[i] = pollfd{sockets[i].socket, events, 0};
  }
  const int ready = ::poll(entries.data(), entries.size(), timeoutMs);
  if (ready < 0 && errno != EINTR) return false;
  for (std::size_t i = 0; i < sockets.size(); ++i) {
    const short got = ready > 0 ? entries[i].revents : 0;
    sockets[i].readable = (got & (POLLIN | POLLHUP | POLLERR)) != 0;
    sockets[i].writable = (got & (POLLOUT | POLLERR)) != 0;
  }
  return true;
}

namespace {

constexpr int kStopSliceMs = 50;

WaitResult WaitFor(NativeSocket fd, short events, int timeoutMs, std::stop_token stop) {
  const std::uint32_t start = TickCount();
  for (;;) {
    if (stop.stop_requested()) return WaitResult::kStopped;
    const auto elapsed = static_cast<int>(TickCount() - start);
    const int left = timeoutMs - elapsed;
    if (left <= 0) return WaitResult::kTimedOut;
    const int slice = stop.stop_possible() ? std::min(left, kStopSliceMs) : left;
    pollfd entry{fd, events, 0};
    const int ready = ::poll(&entry, 1, slice);
    if (ready > 0) return WaitResult::kReady;
    if (ready < 0 && errno != EINTR) return WaitResult::kError;
  }
}

}  // namespace

WaitResult WaitReadable(NativeSocket fd, int timeoutMs, std::stop_token stop) {
  return WaitFor(fd, POLLIN, timeoutMs, std::move(stop));
}

WaitResult WaitWritable(NativeSocket fd, int timeoutMs, std::stop_token stop) {
  return WaitFor(fd, POLLOUT, timeoutMs, std::move(stop));
}

int LastSocketError() { return errno; }

// Both names exist because POSIX allows them to differ.
bool IsTimeoutError(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

bool IsRefusedError(int error) { return error == ECONNREFUSED; }

bool IsUnreachableError(int error) { return error == EHOSTUNREACH || error == ENETUNREACH; }

bool IsPermissionError(int error) { return error == EPERM || error == EACCES; }

}  // namespace qnc
