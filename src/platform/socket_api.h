#pragma once
// Internal to src/platform: the system's socket interface (POSIX sockets or
// Winsock) and the few names in which the two differ, so that the code that
// is the same on both is written once.
#if defined(_WIN32)
#include "platform/win32/sockets_started.h"
#include "platform/win32/windows_api.h"
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <cstddef>

#include "platform/socket_handle.h"

namespace qnc {

#if defined(_WIN32)
// The length type of socket addresses and options.
using SocketLength = int;
// Winsock has to be started before its first call; false when it cannot be.
inline bool SocketsReady() { return SocketsStarted(); }
// Winsock counts lengths in int; larger buffers are used in part.
inline int WinsockLength(std::size_t size) { return size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(size); }
// A new socket that child processes do not inherit, or an invalid handle.
inline SocketHandle NewSocket(int type, int protocol) {
  SocketHandle handle(::socket(AF_INET, type, protocol));
  if (handle.Valid()) ::SetHandleInformation(reinterpret_cast<HANDLE>(handle.Get()), HANDLE_FLAG_INHERIT, 0);
  return handle;
}
#else
using SocketLength = socklen_t;
inline bool SocketsReady() { return true; }
#endif

// An integer socket option (Winsock takes its value as bytes).
inline bool SetIntOption(NativeSocket socket, int level, int name, int value) {
  return ::setsockopt(socket, level, name, reinterpret_cast<const char*>(&value), sizeof value) == 0;
}

}  // namespace qnc
