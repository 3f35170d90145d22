#include "platform/ticks.h"
#include "platform/win32/windows_api.h"

namespace qnc {

// Milliseconds of the performance counter, truncated to 32 bits so that they
// wrap like GetTickCount. GetTickCount itself only moves every 10 to 16 ms,
// which would show a 1 ms round trip as 1 or 17 and misrate loopback rows.
std::uint32_t TickCount() {
  static const long long frequency = [] {
    LARGE_INTEGER value{};
    ::QueryPerformanceFrequency(&value);
    return value.QuadPart > 0 ? value.QuadPart : 1;
  }();
  LARGE_INTEGER now{};
  ::QueryPerformanceCounter(&now);
  // Whole seconds and the rest apart, so that the product cannot overflow.
  const long long seconds = now.QuadPart / frequency;
  const long long rest = now.QuadPart % frequency;
  return static_cast<std::uint32_t>(seconds * 1000 + rest * 1000 / frequency);
}

}  // namespace qnc
