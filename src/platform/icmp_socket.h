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

// A socket that sends and receives ICMP messages: a raw socket where the
// process may have one (root or CAP_NET_RAW), else an unprivileged ICMP
// datagram socket where net.ipv4.ping_group_range admits the process.
class IcmpSocket {
 public:
  enum class Kind { kRaw, kDatagram };

  // Opens the best socket available; on failure whyNot says why.
  static std::optional<IcmpSocket> Open(std::string* whyNot = nullptr);

  Kind GetKind() const { return kind_; }

  // Sends one ICMP message (the system adds the IPv4 header). A datagram
  // socket rewrites the identifier and checksum of an echo request itself.
  bool SendTo(Ipv4NetOrder address, std::span<const std::uint8_t> message);

  // Identifier bytes 4 and 5 of echo replies to this socket, read least
  // significant byte first, when the system chose them (datagram sockets after
  // the first send); nothing on a raw socket, where they are ours.
  std::optional<std::uint16_t> SystemEchoIdentifier() const;

  struct Received {
    std::size_t length = 0;         // bytes in the buffer
    Ipv4NetOrder from = 0;          // sender
    bool includesIpHeader = false;  // raw sockets deliver the IPv4 header first
  };
  // Receives the next message within timeoutMs; nothing on time-out, error or stop.
  std::optional<Received> Receive(std::span<std::uint8_t> buffer, int timeoutMs, std::stop_token stop = {});
  // Receives a message that is already waiting, without waiting; nothing when
  // none is (or where the system reads one message per wait).
  std::optional<Received> ReceiveWaiting(std::span<std::uint8_t> buffer);

  // Lets only echo replies and the errors that quote a sent message
  // (destination unreachable, time exceeded) reach this socket, so that the
  // ICMP traffic of other programs never wakes its reader. A datagram socket
  // gets only its own replies anyway. False where the system has no such
  // filter: the socket then receives every ICMP message, as before.
  bool KeepOnlyRepliesAndErrors();

 private:
  IcmpSocket(SocketHandle handle, Kind kind) : handle_(std::move(handle)), kind_(kind) {}
  SocketHandle handle_;
  Kind kind_;
};

// Why this process cannot open any ICMP socket (the text that Open gives),
// or nothing when it can. Opens and at once closes a socket; no packet is sent.
std::optional<std::string> IcmpUnavailableReason();

}  // namespace qnc
