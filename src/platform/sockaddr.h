#pragma once
// Internal to src/platform: conversions between our address values and the
// system's socket address structures.
#include <cstdint>
#include <optional>
#include <span>
#include <stop_token>
#include <utility>

#include "platform/ipv4.h"
#include "platform/socket_api.h"
#include "platform/socket_handle.h"

namespace qnc {

inline sockaddr_in MakeSockaddr(Ipv4NetOrder address, std::uint16_t port) {
  sockaddr_in result{};
  result.sin_family = AF_INET;
  result.sin_port = htons(port);
  result.sin_addr.s_addr = address;
  return result;
}

inline std::uint16_t LocalPortOf(NativeSocket socket) {
  sockaddr_in local{};
  SocketLength length = sizeof local;
  if (::getsockname(socket, reinterpret_cast<sockaddr*>(&local), &length) != 0) return 0;
  return ntohs(local.sin_port);
}

// One datagram and where it came from.
struct ReceivedDatagram {
  std::size_t size = 0;
  sockaddr_in from{};
};

// Reads the datagram that the socket has ready into buffer; nothing on an
// error (none ready included). A datagram longer than the buffer is cut to its
// size.
inline std::optional<ReceivedDatagram> ReadReadyDatagram(NativeSocket socket, std::span<std::uint8_t> buffer) {
  ReceivedDatagram datagram;
  SocketLength fromLength = sizeof datagram.from;
#if defined(_WIN32)
  const int received = ::recvfrom(socket, reinterpret_cast<char*>(buffer.data()), WinsockLength(buffer.size()), 0,
                                  reinterpret_cast<sockaddr*>(&datagram.from), &fromLength);
  if (received == SOCKET_ERROR) {
    // Winsock reports a cut datagram as WSAEMSGSIZE, with the buffer full.
    if (::WSAGetLastError() != WSAEMSGSIZE) return std::nullopt;
    datagram.size = buffer.size();
    return datagram;
  }
#else
  const auto received = ::recvfrom(socket, buffer.data(), buffer.size(), MSG_DONTWAIT,
                                   reinterpret_cast<sockaddr*>(&datagram.from), &fromLength);
  if (received < 0) return std::nullopt;
#endif
  datagram.size = static_cast<std::size_t>(received);
  return datagram;
}

// Waits at most timeoutMs (stoppable) for a datagram and reads it into buffer;
// nothing on a time-out, a stop or an error.
inline std::optional<ReceivedDatagram> ReceiveDatagram(NativeSocket socket, std::span<std::uint8_t> buffer,
                                                       int timeoutMs, std::stop_token stop) {
  if (WaitReadable(socket, timeoutMs, std::move(stop)) != WaitResult::kReady) return std::nullopt;
  return ReadReadyDatagram(socket, buffer);
}

// Reads a datagram that is already waiting, without waiting; nothing when none is.
inline std::optional<ReceivedDatagram> ReceiveDatagramWaiting(NativeSocket socket, std::span<std::uint8_t> buffer) {
#if defined(_WIN32)
  // A blocking Winsock socket would wait in recvfrom: look first.
  fd_set ready;
  FD_ZERO(&ready);
  FD_SET(socket, &ready);
  timeval now{0, 0};
  if (::select(0, &ready, nullptr, nullptr, &now) != 1) return std::nullopt;
#endif
  return ReadReadyDatagram(socket, buffer);
}

}  // namespace qnc
