// Drives the server side of a test connection (its reading of the stream and
// its state) in process with arbitrary events: receives of any bytes and
// lengths, sends that moved something or nothing, and clock readings that go
// forwards, backwards and round the 32-bit wrap. Checks it against a model:
// the first data alone picks sizes and streaming, later data changes nothing,
// and the idle time runs from the latest send that moved bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>

#include "core/lantest/lan_stream.h"
#include "core/lantest/lan_test_state.h"
#include "core/lantest/server_connection.h"

namespace {

using qnc::ServerConnection;

// Reads the input front to back; past its end every value is 0.
class Input {
 public:
  explicit Input(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  bool Empty() const { return bytes_.empty(); }
  std::uint8_t Byte() {
    if (bytes_.empty()) return 0;
    const std::uint8_t value = bytes_.front();
    bytes_ = bytes_.subspan(1);
    return value;
  }
  std::uint32_t Word() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = value << 8 | Byte();
    return value;
  }
  std::span<const std::uint8_t> Take(std::size_t count) {
    const std::span<const std::uint8_t> taken = bytes_.first(std::min(count, bytes_.size()));
    bytes_ = bytes_.subspan(taken.size());
    return taken;
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

void Check(bool holds) {
  if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input input(std::span(data, size));
  std::uint32_t lastMoved = input.Word();
  ServerConnection connection(lastMoved);
  bool first = true;
  bool streaming = false;
  std::size_t replySize = qnc::kLanBufferSize;
  std::size_t receiveSize = qnc::kLanBufferSize;
  while (!input.Empty()) {
    Check(connection.ReceiveSize() == receiveSize && connection.ReplySize() == replySize);
    switch (input.Byte() % 3) {
      case 0: {  // a receive of up to the receive size
        const std::size_t length = std::min<std::size_t>(input.Byte(), receiveSize);
        const std::span<const std::uint8_t> received = input.Take(length);
        const ServerConnection::Reply reply = connection.Received(received);
        if (first && !received.empty()) {
          const int mode = static_cast<std::int8_t>(received[0]);
          if (const auto sizes = qnc::ServerSizesFor(mode)) {
            replySize = static_cast<std::size_t>(sizes->send);
            receiveSize = static_cast<std::size_t>(sizes->receive);
            streaming = mode == 0 || mode == 1;
          }
          Check(reply == (streaming ? ServerConnection::Reply::kStartStream : ServerConnection::Reply::kOneChunk));
        } else {
          Check(reply == (streaming ? ServerConnection::Reply::kNone : ServerConnection::Reply::kOneChunk));
        }
        first = false;
        break;
      }
      case 1: {  // a send's result at a clock reading
        const auto sent = static_cast<long>(static_cast<std::int8_t>(input.Byte()));
        const std::uint32_t now = input.Word();
        connection.Sent(sent, now);
        if (sent > 0) lastMoved = now;
        break;
      }
      default: {  // the idle check at a clock reading
        const std::uint32_t now = input.Word();
        const auto idle = static_cast<std::int32_t>(now - lastMoved);
        Check(connection.Idle(now) == (idle >= static_cast<std::int32_t>(qnc::kIdleConnectionMs)));
        break;
      }
    }
  }
  return 0;
}
