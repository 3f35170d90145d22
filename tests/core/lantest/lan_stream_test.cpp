#include "core/lantest/lan_stream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/lantest/lan_test_state.h"

namespace qnc {
namespace {

TEST(ClientChunkTest, GreetingFollowsTheModeByte) {
  std::vector<std::uint8_t> chunk(1024, 0);
  const std::size_t end = WriteClientGreeting(chunk, "box7");
  const std::string expected = std::string("box7") + "have connected to you!";
  ASSERT_EQ(end, 1 + expected.size() + 1);
  EXPECT_EQ(std::string(chunk.begin() + 1, chunk.begin() + 1 + static_cast<long>(expected.size())), expected);
  EXPECT_EQ(chunk[end - 1], 0);
  EXPECT_EQ(chunk[0], 0) << "byte 0 belongs to the mode";
  for (std::size_t at = end; at < chunk.size(); ++at) ASSERT_EQ(chunk[at], 0) << at;

  std::vector<std::uint8_t> tooSmall(10, 0xAA);
  EXPECT_EQ(WriteClientGreeting(tooSmall, "box7"), 0u);
  EXPECT_EQ(tooSmall, std::vector<std::uint8_t>(10, 0xAA));
}

TEST(ClientChunkTest, HostNameOrNone) {
  EXPECT_EQ(WireHostName(std::nullopt), "None");
  EXPECT_EQ(WireHostName(std::string()), "None");
  EXPECT_EQ(WireHostName(std::string("lab-pc")), "lab-pc");
  EXPECT_EQ(WireHostName(std::string(99, 'h')), std::string(99, 'h'));
  EXPECT_EQ(WireHostName(std::string(100, 'h')), "None") << "does not fit a 100-byte name buffer";
}

TEST(FirstChunkTest, FirstByteIsASignedMode) {
  const struct {
    std::vector<std::uint8_t> bytes;
    int mode;
    std::optional<ChunkSizes> sizes;
  } cases[] = {
      {{0, 'h', 'i'}, 0, ChunkSizes{102400, 102400}},
      {{1}, 1, ChunkSizes{102400, 102400}},
      {{2, 0, 0}, 2, ChunkSizes{1, 102400}},
      {{3}, 3, std::nullopt},
      {{0x7F}, 127, std::nullopt},
      {{0xFF, 2}, -1, std::nullopt},
      {{0x80}, -128, std::nullopt},
  };
  for (const auto& c : cases) {
    const auto first = InterpretFirstChunk(c.bytes);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->mode, c.mode);
    EXPECT_EQ(first->serverSizes, c.sizes) << c.mode;
  }
  EXPECT_FALSE(InterpretFirstChunk({}).has_value());
}

TEST(ChunkSizesTest, ClientSizesOfEachMode) {
  const struct {
    int mode;
    std::optional<ChunkSizes> sizes;
  } cases[] = {
      {0, ChunkSizes{102400, 102400}},
      {1, ChunkSizes{1024, 102400}},
      {2, ChunkSizes{102400, 102400}},
      {3, std::nullopt},
      {-1, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ClientSizesFor(c.mode), c.sizes) << c.mode;
}

}  // namespace
}  // namespace qnc
