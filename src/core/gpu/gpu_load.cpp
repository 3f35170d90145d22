#include "core/gpu/gpu_load.h"

#include <algorithm>
#include <array>
#include <string>

#include "core/gpu/nvapi_interface.h"
#include "platform/dynamic_library.h"

namespace qnc {
namespace {

constexpr int kMaxDisplays = 4;
constexpr std::uint32_t kMaxGpusPerDisplay = 4;

struct DisplayEntry {
  nvapi::Handle display = nullptr;
  std::uint32_t gpuCount = 0;
  std::array<nvapi::Handle, kMaxGpusPerDisplay> gpus{};
  std::array<std::uint32_t, kMaxGpusPerDisplay> usagePercent{};
};

// The operations of one cycle, looked up through the query entry point.
struct Operations {
  nvapi::InitializeFunction initialize = nullptr;
  nvapi::EnumNvidiaDisplayHandleFunction enumDisplay = nullptr;
  nvapi::GetPhysicalGpusFromDisplayFunction physicalGpus = nullptr;
  nvapi::GetUsagesFunction usages = nullptr;
};

template <typename Function>
Function Lookup(nvapi::QueryInterfaceFunction query, std::uint32_t id) {
  return reinterpret_cast<Function>(query(id));
}

Operations LookUpOperations(nvapi::QueryInterfaceFunction query) {
  Operations ops;
  ops.initialize = Lookup<nvapi::InitializeFunction>(query, nvapi::kInitialize);
  ops.enumDisplay = Lookup<nvapi::EnumNvidiaDisplayHandleFunction>(query, nvapi::kEnumNvidiaDisplayHandle);
  ops.physicalGpus = Lookup<nvapi::GetPhysicalGpusFromDisplayFunction>(query, nvapi::kGetPhysicalGpusFromDisplay);
  ops.usages = Lookup<nvapi::GetUsagesFunction>(query, nvapi::kGetUsages);
  return ops;
}

// Tries every index 0 to 3; a failing index does not end the search.
int FindDisplays(const Operations& ops, std::array<DisplayEntry, kMaxDisplays>& displays) {
  int displayCount = 0;
  for (std::uint32_t index = 0; index < kMaxDisplays; ++index) {
    nvapi::Handle handle = nullptr;
    if (ops.enumDisplay(index, &handle) == 0) displays[static_cast<std::size_t>(displayCount++)].display = handle;
  }
  return displayCount;
}

// Keeps at most four GPUs per display. False when a query fails.
bool FindGpus(const Operations& ops, DisplayEntry& entry) {
  if (ops.physicalGpus == nullptr) return false;
  std::array<nvapi::Handle, nvapi::kMaxPhysicalGpus> handles{};
  std::uint32_t count = 0;
  if (ops.physicalGpus(entry.display, handles.data(), &count) != 0) return false;
  entry.gpuCount = std::min(count, kMaxGpusPerDisplay);
  std::copy_n(handles.begin(), entry.gpuCount, entry.gpus.begin());
  return true;
}

// Reads the usage of each GPU of the entry. True when the first GPU's usage
// was read: that is the value the cycle reports, so it counts only when the
// driver actually supplied it.
bool ReadUsages(const Operations& ops, DisplayEntry& entry) {
  if (ops.usages == nullptr || entry.gpuCount == 0) return false;
  bool firstRead = false;
  for (std::uint32_t gpu = 0; gpu < entry.gpuCount; ++gpu) {
    // A fresh record for every call, so one GPU's answer never stands in for
    // the version word of the next request.
    std::array<std::uint32_t, nvapi::kUsagesRecordBytes / sizeof(std::uint32_t)> record{};
    record[0] = nvapi::kUsagesRecordVersion;
    if (ops.usages(entry.gpus[gpu], record.data()) != 0) continue;
    entry.usagePercent[gpu] = record[nvapi::kUsagePercentOffset / sizeof(std::uint32_t)];
    if (gpu == 0) firstRead = true;
  }
  return firstRead;
}

void WriteLine(std::ostream* diagnostics, const std::string& line) {
  // One write per line, so lines of other threads do not cut into it.
  if (diagnostics != nullptr) diagnostics->write(line.data(), static_cast<std::streamsize>(line.size())).flush();
}

}  // namespace

std::optional<GpuLoadReading> ReadGpuLoad(const std::string& libraryName, std::ostream* diagnostics) {
  // The library lives for this cycle only; leaving the function unloads it.
  const DynamicLibrary library = DynamicLibrary::Open(libraryName);
  if (!library) return std::nullopt;
  const auto query = library.FunctionNamed<nvapi::QueryInterfaceFunction>(nvapi::kQueryInterfaceName);
  if (query == nullptr) return std::nullopt;

  const Operations ops = LookUpOperations(query);
  if (ops.initialize == nullptr || ops.initialize() != 0) return std::nullopt;

  std::array<DisplayEntry, kMaxDisplays> displays{};
  if (ops.enumDisplay == nullptr) return std::nullopt;
  const int displayCount = FindDisplays(ops, displays);
  if (displayCount == 0) return std::nullopt;
  for (int index = 0; index < displayCount; ++index) {
    if (!FindGpus(ops, displays[static_cast<std::size_t>(index)])) return std::nullopt;
  }
  WriteLine(diagnostics, "卡的个数：" + std::to_string(displayCount) + "\n");

  DisplayEntry& first = displays[0];
  GpuLoadReading reading;
  reading.displayCount = displayCount;
  if (ReadUsages(ops, first)) {
    reading.usagePercent = first.usagePercent[0];
    WriteLine(diagnostics, "GPU[" + std::to_string(first.gpuCount) + "], CPU利用率：" +
                               std::to_string(first.usagePercent[0]) + "\n");
  }
  return reading;
}

}  // namespace qnc
