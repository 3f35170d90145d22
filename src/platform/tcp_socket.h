#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stop_token>
#include <vector>

#include "platform/ipv4.h"
#include "platform/socket_handle.h"

namespace qnc {

enum class ConnectResult { kConnected, kFailed, kTimedOut, kStopped };
// How a connect that is not waited for began.
enum class ConnectStart { kConnected, kPending, kFailed };

// The time after which one connection attempt gives up, like the platform
// connect that the probes were designed around.
inline constexpr int kConnectTimeoutMs = 21000;

// One IPv4 TCP socket: the connecting side of the probes and the LAN test, and
// the listening side of the LAN test server.
class TcpSocket {
 public:
  static std::optional<TcpSocket> Open();

  // Connects within timeoutMs (a non-blocking connect and a wait), stoppable.
  // The socket is left in blocking mode afterwards.
  ConnectResult Connect(Ipv4NetOrder address, std::uint16_t port, int timeoutMs = kConnectTimeoutMs,
                        std::stop_token stop = {});
  // The system's error number of the last Connect that failed (kFailed), 0 otherwise.
  int ConnectError() const { return connectError_; }

  // Starts a connect without waiting for it; the socket stays non-blocking.
  // A pending connect ends when the socket shows in WaitForConnects;
  // FinishConnect then says how.
  ConnectStart StartConnect(Ipv4NetOrder address, std::uint16_t port);
  // True when the pending connect was established; otherwise ConnectError says why.
  bool FinishConnect();

  bool SetReuseAddress(bool on);
  bool Bind(Ipv4NetOrder address, std::uint16_t port);
  bool Listen(int backlog);
  std::uint16_t LocalPort() const;

  struct Accepted;
  // Waits for one connection at most timeoutMs; nothing on time-out, error or stop.
  std::optional<Accepted> Accept(int timeoutMs, std::stop_token stop = {});

  // Socket-level options: buffer sizes in bytes, blocking time-outs in milliseconds.
  bool SetSendBufferSize(int bytes);
  bool SetReceiveBufferSize(int bytes);
  bool SetSendTimeout(int milliseconds);
  bool SetReceiveTimeout(int milliseconds);
  // Lets a send wait while more than `bytes` of what was written are still
  // unsent, so that a sender that never pauses keeps its queue short (and the
  // bytes it copies warm in the cache) instead of filling the whole send
  // buffer. False where the system has no such limit.
  bool SetUnsentLimit(int bytes);

  // Blocking send and receive, bounded by the time-outs above. Send never
  // raises SIGPIPE. Both return the bytes moved, 0 when the peer closed (receive
  // only) and -1 on error or time-out.
  long Send(std::span<const std::uint8_t> bytes);
  long Receive(std::span<std::uint8_t> buffer);

  // Non-blocking mode: Send and Receive return -1 at once where they would
  // wait (IsTimeoutError tells), for a caller that waits with WaitSockets.
  bool SetNonBlocking(bool on);

  // Wakes a thread blocked in Accept, Send or Receive on this socket.
  void Shutdown() const { handle_.Shutdown(); }
  // Ends the sending side only: the peer reads the end of the stream.
  void ShutdownSending() const { handle_.ShutdownSending(); }
  void Close() { handle_.Close(); }
  bool Valid() const { return handle_.Valid(); }
  NativeSocket Native() const { return handle_.Get(); }

 private:
  explicit TcpSocket(SocketHandle handle) : handle_(std::move(handle)) {}
  SocketHandle handle_;
  int connectError_ = 0;
};

// Waits at most timeoutMs (stoppable, like WaitWritable) until at least one of
// the sockets' pending connects has ended, established or failed, and puts the
// indexes of those that have into `ended` (cleared first).
WaitResult WaitForConnects(std::span<const NativeSocket> sockets, int timeoutMs, std::stop_token stop,
                           std::vector<std::size_t>& ended);

// How many sockets this process may hold open for connects in flight beside
// what else it uses; on a system that limits open descriptors the soft limit
// is raised as far as the hard one allows first.
std::size_t ConnectSocketBudget();

struct TcpSocket::Accepted {
  TcpSocket socket;
  Ipv4NetOrder peer = 0;
  std::uint16_t peerPort = 0;
};

}  // namespace qnc
