#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <thread>

#include "platform/tcp_socket.h"

namespace qnc {

// Sends one chunk over and over on a thread of its own, so that a connection
// sends while its owner receives and neither direction waits for the other.
// Each send's result (bytes moved, or -1 for a failure or a time-out) goes to
// `onSent` on the streaming thread. The stream ends when it is stopped or the
// connection breaks (a failure other than a time-out); the socket's send
// time-out bounds every send, and stopping also shuts the socket down so that
// a send waiting for room wakes at once.
class ChunkStreamer {
 public:
  using SentCallback = std::function<void(long sent)>;

  // The socket and the chunk must outlive the streamer.
  ChunkStreamer(TcpSocket& socket, std::span<const std::uint8_t> chunk, SentCallback onSent);
  // Stops the stream (shutting the socket down) and joins its thread.
  ~ChunkStreamer();
  ChunkStreamer(const ChunkStreamer&) = delete;
  ChunkStreamer& operator=(const ChunkStreamer&) = delete;

 private:
  TcpSocket& socket_;
  std::jthread thread_;
};

}  // namespace qnc
