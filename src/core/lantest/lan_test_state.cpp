#include "core/lantest/lan_test_state.h"

#include "platform/ticks.h"

namespace qnc {

namespace {
constexpr std::int32_t kChunk = 102400;
}  // namespace

std::optional<ChunkSizes> ClientSizesFor(int mode) {
  switch (mode) {
    case static_cast<int>(TransferMode::kBoth):
    case static_cast<int>(TransferMode::kUploadOnly):
      return ChunkSizes{kChunk, kChunk};
    case static_cast<int>(TransferMode::kDownloadOnly):
      return ChunkSizes{1024, kChunk};
    default:
      return std::nullopt;
  }
}

std::optional<ChunkSizes> ServerSizesFor(int mode) {
  switch (mode) {
    case static_cast<int>(TransferMode::kBoth):
    case static_cast<int>(TransferMode::kDownloadOnly):
      return ChunkSizes{kChunk, kChunk};
    case static_cast<int>(TransferMode::kUploadOnly):
      return ChunkSizes{1, kChunk};
    default:
      return std::nullopt;
  }
}

LanTestState::LanTestState() : clientMeter(TickCount()) {}

LanTestState& SharedLanTestState() {
  static LanTestState state;
  return state;
}

}  // namespace qnc
