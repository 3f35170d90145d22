#pragma once
// Internal to src/platform: conversions between our address values and the
// system's socket address structures.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>
#include <optional>
#include <span>
#include <stop_token>
#include <utility>

#include "platform/ipv4.h"
#include "platform/socket_handle.h"

namespace qnc {

inline sockaddr_in MakeSockaddr(Ipv4NetOrder address, std::uint16_t port) {
  sockaddr_in result{};
  result.sin_family = AF_INET;
  result.sin_port = htons(port);
  result.sin_addr.s_addr = address;
  return result;
}

inline std::uint16_t LocalPortOf(int fd) {
  sockaddr_in local{};
  socklen_t length = sizeof local;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) return 0;
  return ntohs(local.sin_port);
}

// One datagram and where it came from.
struct ReceivedDatagram {
  std::size_t size = 0;
  sockaddr_in from{};
};

// Waits at most timeoutMs (stoppable) for a datagram and reads it into buffer;
// nothing on a time-out, a stop or an error.
inline std::optional<ReceivedDatagram> ReceiveDatagram(int fd, std::span<std::uint8_t> buffer, int timeoutMs,
                                                       std::stop_token stop) {
  if (WaitReadable(fd, timeoutMs, std::move(stop)) != WaitResult::kReady) return std::nullopt;
  ReceivedDatagram datagram;
  socklen_t fromLength = sizeof datagram.from;
  const auto received = ::recvfrom(fd, buffer.data(), buffer.size(), MSG_DONTWAIT,
                                   reinterpret_cast<sockaddr*>(&datagram.from), &fromLength);
  if (received < 0) return std::nullopt;
  datagram.size = static_cast<std::size_t>(received);
  return datagram;
}

}  // namespace qnc
