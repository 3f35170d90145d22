#include "lantest/local_clock.h"

#include <ctime>
#include <mutex>

namespace qnc {

namespace {

class SystemClock final : public LocalClock {
 public:
  TimeOfDay Now() const override {
    const std::time_t now = std::time(nullptr);
    // std::localtime hands out one shared buffer; the report lines of both
    // sides may ask at the same moment.
    static std::mutex bufferMutex;
    std::lock_guard lock(bufferMutex);
    const std::tm* local = std::localtime(&now);
    if (local == nullptr) return {};
    return TimeOfDay{local->tm_hour, local->tm_min, local->tm_sec};
  }
};

}  // namespace

const LocalClock& SystemLocalClock() {
  static const SystemClock clock;
  return clock;
}

}  // namespace qnc
