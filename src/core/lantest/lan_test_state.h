#pragma once
#include <cstdint>
#include <optional>

#include "core/lantest/throughput_meter.h"

namespace qnc {

// Directions of a LAN test run; the value travels as the first byte of every
// client chunk.
enum class TransferMode : int { kBoth = 0, kDownloadOnly = 1, kUploadOnly = 2 };

// Bytes one side sends per exchange and the most it receives per exchange.
struct ChunkSizes {
  std::int32_t send = 0;
  std::int32_t receive = 0;
  friend bool operator==(const ChunkSizes&, const ChunkSizes&) = default;
};

// Sizes of a connection before a mode applies to it (a server connection
// whose first byte is no known mode keeps them); also the size of every send
// and receive buffer of the test.
inline constexpr std::int32_t kLanBufferSize = 1024000;
inline constexpr ChunkSizes kUnappliedSizes{kLanBufferSize, kLanBufferSize};

// The sizes each side uses in a mode; nothing for a value outside 0 to 2.
std::optional<ChunkSizes> ClientSizesFor(int mode);
std::optional<ChunkSizes> ServerSizesFor(int mode);

// The meters that the test threads of a process share. They outlive every
// dialog, so the totals carry over to the next opening. Mode and chunk sizes
// belong to each connection: the client's from the run that started it, the
// server's from the first byte that its client sent, so a second client
// never changes a running test.
struct LanTestState {
  LanTestState();

  ThroughputMeter serverMeter{0};
  ThroughputMeter clientMeter;
};

// The one state of this process.
LanTestState& SharedLanTestState();

}  // namespace qnc
