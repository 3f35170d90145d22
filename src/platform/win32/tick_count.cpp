#include "platform/ticks.h"
#include "platform/win32/windows_api.h"

namespace qnc {

// The system's millisecond counter since start-up; it wraps after 49.7 days,
// which the modulo-2^32 differences absorb.
std::uint32_t TickCount() { return static_cast<std::uint32_t>(::GetTickCount()); }

}  // namespace qnc
