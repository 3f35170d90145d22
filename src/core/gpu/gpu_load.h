#pragma once
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

namespace qnc {

// What one query cycle found: the number of NVIDIA displays (1 to 4) and the
// busy percentage of the first GPU of the first display. The percentage is
// empty when the cycle found displays but could not read the first GPU's load
// (no GPU behind the display, no usage operation, or its call failed).
struct GpuLoadReading {
  std::int32_t displayCount = 0;
  std::optional<std::uint32_t> usagePercent;
};

// Runs one query cycle against the NVAPI driver library `libraryName`: loads
// it, initialises it, enumerates up to four displays, collects up to four
// physical GPUs of each, reads the usages of the first display's GPUs, and
// unloads the library again before returning, on every path. Returns nothing
// when the library or its entry point is missing, initialisation fails, no
// display is found, or a display's GPU query fails. Writes the two diagnostic
// lines (display count, then GPU count and load) to `diagnostics` unless it is
// null.
std::optional<GpuLoadReading> ReadGpuLoad(const std::string& libraryName, std::ostream* diagnostics);

}  // namespace qnc
