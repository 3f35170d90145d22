#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stop_token>

#include "platform/ipv4.h"
#include "platform/socket_handle.h"

namespace qnc {

// One IPv4 UDP socket.
class UdpSocket {
 public:
  static std::optional<UdpSocket> Open();

  // Binds to a local address and port (port 0: any free port).
  bool Bind(Ipv4NetOrder address, std::uint16_t port);
  std::uint16_t LocalPort() const;

  // Sends one datagram; false when the system refused it.
  bool SendTo(Ipv4NetOrder address, std::uint16_t port, std::span<const std::uint8_t> bytes);

  // Asks the system to tell this socket when a datagram it sent was turned
  // away on the way (an ICMP port or host unreachable): ReceiveFrom then
  // hands such word on as a Datagram of its own. False where the system
  // cannot say which destination turned it away; such errors are then not
  // reported at all, as on a socket that never asked.
  bool ReportDeliveryErrors();

  enum class Delivery {
    kDatagram,     // a datagram came from `from`
    kRefused,      // nothing listens at `from` (port unreachable)
    kUnreachable,  // `from` cannot be reached (host or network unreachable)
  };
  struct Datagram {
    std::size_t length = 0;
    Ipv4NetOrder from = 0;
    std::uint16_t fromPort = 0;
    // For a delivery error, `from` is the destination of the datagram that
    // was turned away and buffer holds the start of that datagram's payload.
    Delivery delivery = Delivery::kDatagram;
  };
  // Receives one datagram into buffer within timeoutMs; nothing on time-out,
  // error or stop. A datagram longer than the buffer is cut to its size.
  std::optional<Datagram> ReceiveFrom(std::span<std::uint8_t> buffer, int timeoutMs, std::stop_token stop = {});
  // Receives a datagram (or delivery error) that is already waiting, without
  // waiting; nothing when none is.
  std::optional<Datagram> ReceiveWaiting(std::span<std::uint8_t> buffer);

  NativeSocket Native() const { return handle_.Get(); }

 private:
  explicit UdpSocket(SocketHandle handle) : handle_(std::move(handle)) {}
  SocketHandle handle_;
};

}  // namespace qnc
