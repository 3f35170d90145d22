// Feeds arbitrary first data of a test connection to the server's reading of
// it, and checks what it makes of it: the mode is the first byte as a signed
// 8-bit value, sizes exist exactly for modes 0 to 2, and the shared state
// only ever holds sizes that some mode gives (or the unapplied ones).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "lantest/lan_stream.h"
#include "lantest/lan_test_state.h"

namespace {

bool KnownServerSizes(const qnc::ChunkSizes& sizes) {
  if (sizes == qnc::kUnappliedSizes) return true;
  for (int mode = 0; mode <= 2; ++mode) {
    if (sizes == qnc::ServerSizesFor(mode)) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> received(data, size);
  const auto first = qnc::InterpretFirstChunk(received);
  if (received.empty()) {
    if (first) std::abort();
    return 0;
  }
  if (!first || first->mode != static_cast<std::int8_t>(received[0])) std::abort();
  const bool known = first->mode >= 0 && first->mode <= 2;
  if (first->serverSizes.has_value() != known) std::abort();

  static qnc::LanTestState state;
  const qnc::ChunkSizes before = state.serverSizes.load();
  qnc::ApplyServerMode(state, first->mode);
  const qnc::ChunkSizes after = state.serverSizes.load();
  if (state.mode.load() != first->mode || !KnownServerSizes(after)) std::abort();
  if (!known && !(after == before)) std::abort();
  return 0;
}
