#pragma once
#include <cstdint>
#include <span>
#include <stop_token>
#include <utility>

namespace qnc {

// The operating system's socket descriptor: a file descriptor, or Winsock's
// SOCKET (an unsigned handle whose invalid value has every bit set).
#if defined(_WIN32)
using NativeSocket = std::uintptr_t;
inline constexpr NativeSocket kInvalidSocket = ~NativeSocket{0};
#else
using NativeSocket = int;
inline constexpr NativeSocket kInvalidSocket = -1;
#endif

// Owns one socket and closes it when it goes away.
class SocketHandle {
 public:
  SocketHandle() = default;
  explicit SocketHandle(NativeSocket fd) : fd_(fd) {}
  SocketHandle(SocketHandle&& other) noexcept : fd_(std::exchange(other.fd_, kInvalidSocket)) {}
  SocketHandle& operator=(SocketHandle&& other) noexcept {
    if (this != &other) {
      Close();
      fd_ = std::exchange(other.fd_, kInvalidSocket);
    }
    return *this;
  }
  SocketHandle(const SocketHandle&) = delete;
  SocketHandle& operator=(const SocketHandle&) = delete;
  ~SocketHandle() { Close(); }

  bool Valid() const { return fd_ != kInvalidSocket; }
  NativeSocket Get() const { return fd_; }
  void Close();
  // Shuts both directions down without closing, so a thread blocked on the socket wakes up.
  void Shutdown() const;
  // Ends this side's sending (the peer reads the end of the stream); receiving goes on.
  void ShutdownSending() const;

 private:
  NativeSocket fd_ = kInvalidSocket;
};

enum class WaitResult { kReady, kTimedOut, kStopped, kError };

// Waits until the socket is readable (or writable), at most timeoutMs. The wait
// is cut into short slices so that a stop request ends it within about 50 ms.
WaitResult WaitReadable(NativeSocket fd, int timeoutMs, std::stop_token stop = {});
WaitResult WaitWritable(NativeSocket fd, int timeoutMs, std::stop_token stop = {});

// One socket for WaitSockets: what to wait for, and what it is ready for
// afterwards (readable also when the peer closed or an error is pending).
struct SocketWatch {
  NativeSocket socket = kInvalidSocket;
  bool read = false;
  bool write = false;
  bool readable = false;
  bool writable = false;
};

// Waits at most timeoutMs until one of the sockets is ready as asked and
// marks those that are. False when the wait itself failed.
bool WaitSockets(std::span<SocketWatch> sockets, int timeoutMs);

// The last socket error number of this thread (errno; WSAGetLastError on Windows).
int LastSocketError();
// True for the error of a send or receive whose time-out passed.
bool IsTimeoutError(int error);
// True for a connection the peer refused.
bool IsRefusedError(int error);
// True when there is no route to the host or its network.
bool IsUnreachableError(int error);
// True when the system denied the process the right to do it.
bool IsPermissionError(int error);

}  // namespace qnc
