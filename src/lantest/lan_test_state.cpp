#include "lantest/lan_test_state.h"

#include "platform/ticks.h"

namespace qnc {

static_assert(std::atomic<ChunkSizes>::is_always_lock_free);

namespace {
constexpr std::int32_t kChunk = 102400;
}  // namespace

std::optional<ChunkSizes> ClientSizesFor(int mode) {
  switch (mode) {
    case static_cast<int>(TransferMode::Both):
    case static_cast<int>(TransferMode::UploadOnly): return ChunkSizes{kChunk, kChunk};
    case static_cast<int>(TransferMode::DownloadOnly): return ChunkSizes{1024, kChunk};
    default: return std::nullopt;
  }
}

std::optional<ChunkSizes> ServerSizesFor(int mode) {
  switch (mode) {
    case static_cast<int>(TransferMode::Both):
    case static_cast<int>(TransferMode::DownloadOnly): return ChunkSizes{kChunk, kChunk};
    case static_cast<int>(TransferMode::UploadOnly): return ChunkSizes{1, kChunk};
    default: return std::nullopt;
  }
}

LanTestState::LanTestState() : clientMeter(TickCount()) {}

void ApplyClientMode(LanTestState& state, int mode) {
  std::lock_guard lock(state.modeMutex);
  state.mode.store(mode);
  if (const auto sizes = ClientSizesFor(mode)) state.clientSizes.store(*sizes);
}

void ApplyServerMode(LanTestState& state, int mode) {
  std::lock_guard lock(state.modeMutex);
  state.mode.store(mode);
  if (const auto sizes = ServerSizesFor(mode)) state.serverSizes.store(*sizes);
}

LanTestState& SharedLanTestState() {
  static LanTestState state;
  return state;
}

}  // namespace qnc
