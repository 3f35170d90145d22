#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/lantest/lan_test_state.h"

namespace qnc {

// The LAN test stream: TCP, unframed chunks. A client chunk is
//   [0] the transfer mode, one byte
//   [1..] the client's host name, "have connected to you!", a zero byte
//   then zero filler up to the chunk's size.
// A server chunk is zero filler only. Only the first byte of the first data a
// connection receives is ever read by the other side.

inline constexpr int kDefaultLanPort = 10110;
inline constexpr std::string_view kGreeting = "have connected to you!";
// The host name goes in as the system gives it, up to 99 characters (what a
// 100-byte name buffer holds); "None" when there is none.
inline constexpr std::size_t kMaxWireHostName = 99;
inline constexpr std::string_view kNoHostName = "None";

// Send and receive buffers, time-outs and the listener's backlog, the same on
// both sides of every test connection.
inline constexpr int kLanSocketBufferBytes = kLanBufferSize;
inline constexpr int kLanSocketTimeoutMs = 1000;
inline constexpr int kListenBacklog = 5;

// The host name to send and to show: the given one, or "None" when it is
// missing or longer than the wire allows.
std::string WireHostName(const std::optional<std::string>& systemName);

// Writes host name, greeting and zero byte from offset 1 of a client chunk
// buffer; returns the offset just past the zero byte (0 when it does not fit).
std::size_t WriteClientGreeting(std::span<std::uint8_t> chunk, std::string_view hostName);

// What the server makes of the first data of a connection: the first byte
// read as a signed 8-bit mode, and the server's sizes for it (nothing for a
// mode outside 0 to 2). Nothing at all for empty data.
struct FirstChunk {
  int mode = 0;
  std::optional<ChunkSizes> serverSizes;
};
std::optional<FirstChunk> InterpretFirstChunk(std::span<const std::uint8_t> received);

}  // namespace qnc
