#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/lantest/lan_test_state.h"

namespace qnc {

// A connection whose sends have moved no byte for this long is closed: its
// client does not read, and would otherwise hold its place for ever (one that
// stops sending ends at the next receive time-out anyway).
inline constexpr std::uint32_t kIdleConnectionMs = 10000;

// What the server side of one test connection does with what it receives,
// apart from its socket: the sizes and the mode come from the first data, and
// each receive is answered by one chunk, or, where the client downloads, the
// chunks stream from the first receive on. Every pass sends, even after a
// receive that failed, as the older one-exchange-at-a-time server did.
class ServerConnection {
 public:
  enum class Reply {
    kNone,         // the chunks already stream
    kOneChunk,     // send one chunk of ReplySize() now
    kStartStream,  // from now on chunks of ReplySize() stream
  };

  explicit ServerConnection(std::uint32_t now) : lastMovedTick_(now) {}

  // The most the next receive takes, and the size of every chunk sent.
  std::size_t ReceiveSize() const;
  std::size_t ReplySize() const;

  // The data of one receive (empty when it brought nothing: the connection
  // ends after the reply).
  Reply Received(std::span<const std::uint8_t> data);

  // A send's result; a send that moved bytes restarts the idle time. Both the
  // receiving and the streaming thread report here.
  void Sent(long bytes, std::uint32_t now);
  // True when sends have moved nothing for kIdleConnectionMs at `now`. A
  // reading older than the latest send (taken before another thread's) counts
  // as no idle time.
  bool Idle(std::uint32_t now) const;

 private:
  ChunkSizes sizes_ = kUnappliedSizes;
  bool firstPass_ = true;
  bool streaming_ = false;
  std::atomic<std::uint32_t> lastMovedTick_;
};

}  // namespace qnc
