#include "core/lantest/server_connection.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace qnc {
namespace {

using Reply = ServerConnection::Reply;

// The first data sets the connection's sizes and whether its replies stream;
// later data never changes them. Every pass that does not stream sends one
// chunk, even the last one that brought nothing.
TEST(ServerConnectionTest, TheFirstDataPicksSizesAndStreaming) {
  struct Case {
    std::vector<std::uint8_t> first;
    Reply reply;
    std::size_t replySize;
  };
  const std::size_t unapplied = kLanBufferSize;
  const Case cases[] = {
      {{0, 'h', 0}, Reply::kStartStream, static_cast<std::size_t>(ServerSizesFor(0)->send)},
      {{1}, Reply::kStartStream, static_cast<std::size_t>(ServerSizesFor(1)->send)},
      {{2, 'h'}, Reply::kOneChunk, static_cast<std::size_t>(ServerSizesFor(2)->send)},
      {{7}, Reply::kOneChunk, unapplied},
      {{0xFF}, Reply::kOneChunk, unapplied},
      {{}, Reply::kOneChunk, unapplied},
  };
  for (const Case& c : cases) {
    ServerConnection connection(0);
    EXPECT_EQ(connection.ReceiveSize(), unapplied);
    EXPECT_EQ(connection.Received(c.first), c.reply) << int(c.first.empty() ? -1 : c.first[0]);
    EXPECT_EQ(connection.ReplySize(), c.replySize);
    const std::vector<std::uint8_t> later{0};
    const Reply next = connection.Received(later);
    EXPECT_EQ(next, c.reply == Reply::kStartStream ? Reply::kNone : Reply::kOneChunk);
    EXPECT_EQ(connection.ReplySize(), c.replySize) << "later data changes nothing";
  }
}

// Idle time runs from the latest send that moved bytes. A reading of the
// clock taken before another thread's later send counts as no idle time
// instead of wrapping round to days.
TEST(ServerConnectionTest, IdleTimeRunsFromTheLatestSendAndNeverWraps) {
  ServerConnection connection(1000);
  EXPECT_FALSE(connection.Idle(1000 + kIdleConnectionMs - 1));
  EXPECT_TRUE(connection.Idle(1000 + kIdleConnectionMs));
  connection.Sent(-1, 20000);
  connection.Sent(0, 20000);
  EXPECT_TRUE(connection.Idle(20000)) << "failed or empty sends move nothing";
  connection.Sent(5, 20000);
  EXPECT_FALSE(connection.Idle(19999)) << "a reading from just before the send";
  EXPECT_FALSE(connection.Idle(20000 + kIdleConnectionMs - 1));
  // Across the wrap of the 32-bit tick counter.
  connection.Sent(1, 0xFFFFFF00u);
  EXPECT_FALSE(connection.Idle(0xFFFFFF00u - 1));
  EXPECT_FALSE(connection.Idle(0x100));
  EXPECT_TRUE(connection.Idle(0xFFFFFF00u + kIdleConnectionMs));
}

}  // namespace
}  // namespace qnc
