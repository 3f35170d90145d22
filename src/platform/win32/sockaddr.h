#pragma once
// Internal to src/platform: conversions between our address values and
// Winsock's socket address structures.
#include <cstdint>
#include <optional>
#include <span>
#include <stop_token>
#include <utility>

#include "platform/ipv4.h"
#include "platform/socket_handle.h"
#include "platform/win32/windows_api.h"

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
  int length = sizeof local;
  if (::getsockname(socket, reinterpret_cast<sockaddr*>(&local), &length) != 0) return 0;
  return ntohs(local.sin_port);
}

// Winsock counts lengths in int; larger buffers are used in part.
inline int WinsockLength(std::size_t size) { return size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(size); }

// A new socket that child processes do not inherit, or an invalid handle.
inline SocketHandle NewSocket(int type, int protocol) {
  SocketHandle handle(::socket(AF_INET, type, protocol));
  if (handle.Valid()) ::SetHandleInformation(reinterpret_cast<HANDLE>(handle.Get()), HANDLE_FLAG_INHERIT, 0);
  return handle;
}

// One datagram and where it came from.
struct ReceivedDatagram {
  std::size_t size = 0;
  sockaddr_in from{};
};

// Waits at most timeoutMs (stoppable) for a datagram and reads it into buffer;
// nothing on a time-out, a stop or an error. A datagram longer than the buffer
// is cut to its size (Winsock reports that as WSAEMSGSIZE with the buffer full).
inline std::optional<ReceivedDatagram> ReceiveDatagram(NativeSocket socket, std::span<std::uint8_t> buffer,
                                                       int timeoutMs, std::stop_token stop) {
  if (WaitReadable(socket, timeoutMs, std::move(stop)) != WaitResult::kReady) return std::nullopt;
  ReceivedDatagram datagram;
  int fromLength = sizeof datagram.from;
  const int received = ::recvfrom(socket, reinterpret_cast<char*>(buffer.data()), WinsockLength(buffer.size()), 0,
                                  reinterpret_cast<sockaddr*>(&datagram.from), &fromLength);
  if (received == SOCKET_ERROR) {
    if (::WSAGetLastError() != WSAEMSGSIZE) return std::nullopt;
    datagram.size = buffer.size();
    return datagram;
  }
  datagram.size = static_cast<std::size_t>(received);
  return datagram;
}

}  // namespace qnc
