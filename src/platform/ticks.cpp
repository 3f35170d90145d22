#include "platform/ticks.h"

#include <chrono>

namespace qnc {

std::uint32_t TickCount() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

namespace {
class SteadyTicks final : public TickSource {
 public:
  std::uint32_t Now() const override { return TickCount(); }
};
}  // namespace

const TickSource& SystemTicks() {
  static const SteadyTicks ticks;
  return ticks;
}

}  // namespace qnc
