#include "core/lantest/listen_socket_slot.h"

#include <utility>

namespace qnc {

void ListenSocketSlot::Hold(std::shared_ptr<TcpSocket> socket) {
  std::lock_guard lock(mutex_);
  if (socket_ && socket_ != socket) socket_->Shutdown();
  socket_ = std::move(socket);
}

void ListenSocketSlot::Close() {
  std::lock_guard lock(mutex_);
  if (socket_) socket_->Shutdown();
  socket_.reset();
}

void ListenSocketSlot::CloseIfHolding(const TcpSocket* socket) {
  std::lock_guard lock(mutex_);
  if (socket_.get() != socket) return;
  socket_->Shutdown();
  socket_.reset();
}

bool ListenSocketSlot::Holds(const TcpSocket* socket) const {
  std::lock_guard lock(mutex_);
  return socket_ && socket_.get() == socket;
}

std::uint16_t ListenSocketSlot::LocalPort() const {
  std::lock_guard lock(mutex_);
  return socket_ ? socket_->LocalPort() : 0;
}

}  // namespace qnc
