#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>

#include "lantest/throughput_meter.h"

namespace qnc {

// Directions of a LAN test run; the value travels as the first byte of every
// client chunk.
enum class TransferMode : int { Both = 0, DownloadOnly = 1, UploadOnly = 2 };

// Bytes one side sends per exchange and the most it receives per exchange.
// Aligned to its size so that an atomic of it is lock-free with every compiler.
struct alignas(8) ChunkSizes {
  std::int32_t send = 0;
  std::int32_t receive = 0;
  friend bool operator==(const ChunkSizes&, const ChunkSizes&) = default;
};

// Sizes in force before any mode has been applied; also the size of every
// send and receive buffer of the test.
inline constexpr std::int32_t kLanBufferSize = 1024000;
inline constexpr ChunkSizes kUnappliedSizes{kLanBufferSize, kLanBufferSize};

// The sizes each side uses in a mode; nothing for a value outside 0 to 2.
std::optional<ChunkSizes> ClientSizesFor(int mode);
std::optional<ChunkSizes> ServerSizesFor(int mode);

// The state that the test threads of a process share. It outlives every
// dialog: mode, sizes and meter totals carry over to the next opening.
// Readers load the atomics without a lock; the writers of mode and sizes go
// through the functions below, which serialise them.
struct LanTestState {
  LanTestState();

  std::atomic<int> mode{0};
  std::atomic<ChunkSizes> serverSizes{kUnappliedSizes};
  std::atomic<ChunkSizes> clientSizes{kUnappliedSizes};
  ThroughputMeter serverMeter{0};
  ThroughputMeter clientMeter;

  std::mutex modeMutex;
};

// The client's start: mode := the chosen mode and the client's sizes of it.
void ApplyClientMode(LanTestState& state, int mode);
// The server's first received byte, as a signed 8-bit value, becomes the mode;
// the server's sizes follow it for 0 to 2 and stay as they are otherwise.
void ApplyServerMode(LanTestState& state, int mode);

// The one state of this process.
LanTestState& SharedLanTestState();

}  // namespace qnc
