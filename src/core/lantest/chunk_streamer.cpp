#include "core/lantest/chunk_streamer.h"

#include <utility>

#include "platform/socket_handle.h"

namespace qnc {

namespace {

// A little over one chunk of unsent bytes: enough that the next send finds
// room at once, far less than the send buffer holds.
constexpr int kStreamUnsentLimit = 131072;

void Stream(std::stop_token stop, TcpSocket& socket, std::span<const std::uint8_t> chunk,
            const ChunkStreamer::SentCallback& onSent) {
  while (!stop.stop_requested()) {
    const long sent = socket.Send(chunk);
    // errno belongs to this thread: read it before the callback's calls.
    const bool broken = sent < 0 && !IsTimeoutError(LastSocketError());
    onSent(sent);
    // A broken connection fails every later send at once; stop rather than
    // spin. A time-out only means that the peer reads slowly.
    if (broken) return;
  }
}

}  // namespace

ChunkStreamer::ChunkStreamer(TcpSocket& socket, std::span<const std::uint8_t> chunk, SentCallback onSent)
    : socket_(socket) {
  socket_.SetUnsentLimit(kStreamUnsentLimit);
  thread_ = std::jthread([&socket, chunk, onSent = std::move(onSent)](std::stop_token stop) {
    Stream(std::move(stop), socket, chunk, onSent);
  });
}

ChunkStreamer::~ChunkStreamer() {
  thread_.request_stop();
  socket_.Shutdown();
}

}  // namespace qnc
