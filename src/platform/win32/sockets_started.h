#pragma once
// Internal to src/platform.

namespace qnc {

// Starts Winsock 2.2 for the process the first time it is called, from any
// thread; later calls only report the outcome. True when sockets can be used.
// The start is never undone: sockets may live until the process ends.
bool SocketsStarted();

}  // namespace qnc
