#include "core/lantest/server_connection.h"

#include <algorithm>
#include <utility>

#include "core/lantest/lan_stream.h"

namespace qnc {

namespace {

std::size_t Clamp(std::int32_t size) {
  return static_cast<std::size_t>(std::clamp<std::int32_t>(size, 0, kLanBufferSize));
}

// Modes whose replies are worth streaming: those where the server sends full
// chunks. An upload's one-byte replies stay one per receive.
bool RepliesStream(int mode) {
  return mode == static_cast<int>(TransferMode::kBoth) || mode == static_cast<int>(TransferMode::kDownloadOnly);
}

}  // namespace

std::size_t ServerConnection::ReceiveSize() const { return Clamp(sizes_.receive); }

std::size_t ServerConnection::ReplySize() const { return Clamp(sizes_.send); }

ServerConnection::Reply ServerConnection::Received(std::span<const std::uint8_t> data) {
  // This connection's sizes: its own client's first byte sets them.
  if (std::exchange(firstPass_, false) && !data.empty()) {
    const auto first = InterpretFirstChunk(data);
    if (first && first->serverSizes) {
      sizes_ = *first->serverSizes;
      if (RepliesStream(first->mode)) {
        streaming_ = true;
        return Reply::kStartStream;
      }
    }
  }
  return streaming_ ? Reply::kNone : Reply::kOneChunk;
}

void ServerConnection::Sent(long bytes, std::uint32_t now) {
  if (bytes > 0) lastMovedTick_.store(now);
}

bool ServerConnection::Idle(std::uint32_t now) const {
  const auto idle = static_cast<std::int32_t>(now - lastMovedTick_.load());
  return idle >= static_cast<std::int32_t>(kIdleConnectionMs);
}

}  // namespace qnc
