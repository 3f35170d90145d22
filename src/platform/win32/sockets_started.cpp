#include "platform/win32/sockets_started.h"

#include "platform/win32/windows_api.h"

namespace qnc {

bool SocketsStarted() {
  // A function-local static: started once, thread-safely, on first use.
  static const bool started = [] {
    WSADATA data{};
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}

}  // namespace qnc
