#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stop_token>
#include <string>

#include "platform/ipv4.h"
#include "platform/socket_handle.h"

namespace qnc {

// What came back for a probe sent with a limited time to live.
//   kPacket      a whole ICMP message as received (after an IPv4 header when
//                includesIpHeader): an echo reply, or an error that quotes the
//                header of the probe it is about.
//   kQuotedError an ICMP error that the system matched to our socket itself:
//                its type and code, the router that sent it (from), and the
//                first bytes of our own probe that it quotes (the transport
//                header: ICMP echo or TCP), without the IPv4 header.
struct TtlProbeEvent {
  enum class Kind : std::uint8_t { kPacket, kQuotedError };
  Kind kind = Kind::kPacket;
  std::size_t length = 0;  // bytes in the caller's buffer
  Ipv4NetOrder from = 0;
  bool includesIpHeader = false;
  std::uint8_t icmpType = 0;
  std::uint8_t icmpCode = 0;
};

// ICMP echo requests with a chosen time to live, and what comes back for
// them: a raw socket where the process may have one (answers arrive as whole
// packets), else an unprivileged ICMP datagram socket, where echo replies
// arrive as messages and the routers' errors through the socket's error
// queue (kQuotedError). Open fails where the system has neither.
class TtlEchoSocket {
 public:
  static std::optional<TtlEchoSocket> Open(std::string* whyNot = nullptr);

  // Sends one ICMP message that expires after `ttl` routers.
  bool Send(Ipv4NetOrder destination, int ttl, std::span<const std::uint8_t> message);
  // The identifier that the system put into our echo requests in place of
  // ours (datagram sockets), least significant byte first; nothing when ours
  // goes out as it is.
  std::optional<std::uint16_t> SystemEchoIdentifier() const;
  // Waits at most timeoutMs (stoppable) for the next event and reads it into
  // buffer; nothing on a time-out, a stop or an error.
  std::optional<TtlProbeEvent> Receive(std::span<std::uint8_t> buffer, int timeoutMs, std::stop_token stop = {});

 private:
  TtlEchoSocket(SocketHandle handle, bool raw) : handle_(std::move(handle)), raw_(raw) {}
  SocketHandle handle_;
  // A raw socket (answers with their IPv4 header); unused where no socket opens (Windows, for now).
  [[maybe_unused]] bool raw_ = false;
};

// One TCP connect that expires after `ttl` routers, so that the routers on
// the way to a game server answer for the server's own port. Non-blocking:
// wait on Native() (WaitSockets, readable or writable), then Finish.
class TtlConnect {
 public:
  enum class Result : std::uint8_t {
    kPending,    // nothing yet
    kConnected,  // the destination accepted
    kRefused,    // the destination answered with a reset: it was reached
    kIcmpError,  // a router's ICMP error: see the event
    kFailed,     // the connect failed without telling by whom
  };
  static std::optional<TtlConnect> Start(Ipv4NetOrder destination, std::uint16_t port, int ttl,
                                         std::string* whyNot = nullptr);
  NativeSocket Native() const { return handle_.Get(); }
  // How the connect ended; for kIcmpError, the error (kQuotedError, with the
  // quoted TCP header in buffer).
  Result Finish(std::span<std::uint8_t> buffer, TtlProbeEvent& event);

 private:
  explicit TtlConnect(SocketHandle handle) : handle_(std::move(handle)) {}
  SocketHandle handle_;
};

// True where this system can send probes with a chosen TTL; otherwise whyNot says why.
bool TtlProbesAvailable(std::string* whyNot = nullptr);

// The name that the reverse lookup (PTR) of an address gives, or nothing.
// Blocks as long as the system's resolver takes.
std::optional<std::string> ReverseName(Ipv4NetOrder address);

}  // namespace qnc
