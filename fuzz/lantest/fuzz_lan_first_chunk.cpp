// Feeds arbitrary first data of a test connection to the server's reading of
// it, and checks what it makes of it: the mode is the first byte as a signed
// 8-bit value, and sizes exist exactly for modes 0 to 2, where they are the
// server's sizes of that mode.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/lantest/lan_stream.h"
#include "core/lantest/lan_test_state.h"

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
  if (known && !(*first->serverSizes == qnc::ServerSizesFor(first->mode).value())) std::abort();
  return 0;
}
