#include "platform/ticks.h"

namespace qnc {

namespace {
class SystemTickSource final : public TickSource {
 public:
  std::uint32_t Now() const override { return TickCount(); }
};
}  // namespace

const TickSource& SystemTicks() {
  static const SystemTickSource ticks;
  return ticks;
}

}  // namespace qnc
