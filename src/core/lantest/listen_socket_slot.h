#pragma once
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/tcp_socket.h"

namespace qnc {

// The server's listening socket as its owner sees it. The listener puts its
// socket here; the owner closes it from another thread to end the listener's
// accepts. Closing shuts the socket down (a waiting accept fails at once);
// the descriptor itself is released when the listener lets go of it, so no
// thread ever waits on a descriptor that was closed and reused under it.
class ListenSocketSlot {
 public:
  // The slot holds this socket from now on (one it held before is closed).
  void Hold(std::shared_ptr<TcpSocket> socket);
  // Closes the socket the slot holds, if any; the slot is empty afterwards.
  void Close();
  // Closes the socket only if the slot still holds this one.
  void CloseIfHolding(const TcpSocket* socket);
  bool Holds(const TcpSocket* socket) const;
  // Local port of the held socket; 0 when there is none.
  std::uint16_t LocalPort() const;

 private:
  mutable std::mutex mutex_;
  std::shared_ptr<TcpSocket> socket_;
};

}  // namespace qnc
