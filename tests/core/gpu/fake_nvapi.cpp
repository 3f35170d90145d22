// A stand-in for NVIDIA's NVAPI driver library. It exports the single entry
// point "nvapi_QueryInterface" and answers the four operations the GPU monitor
// uses. Its behaviour comes from the environment, read afresh on every call,
// because the library is loaded and unloaded in every query cycle:
//
//   QNC_FAKE_NVAPI      "key=value;..." with
//     init=N            what initialise returns (default 0)
//     displays=I,J,...  enumerate indexes that yield a display handle (default 0)
//     gpus=N            physical GPUs reported per display (default 1)
//     gpusfail=I        the GPU query fails for the display found at index I
//     usage=N           busy percent of the first GPU; GPU j reports N + j
//     usagefail=J,...   the usages call fails for GPU positions J (0-based)
//     missing=ID,...    interface ids (hex) the query entry point does not know
//   QNC_FAKE_NVAPI_LOG  file that gets one line per event: load, unload,
//                       query ID, init, enum I, gpus HANDLE, usages HANDLE VERSION
//
// Written in plain C style with no static C++ objects, so that unloading it
// really removes it from the process.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::uint32_t kInitialize = 0x0150E828;
constexpr std::uint32_t kEnumDisplay = 0x9ABDD40D;
constexpr std::uint32_t kPhysicalGpus = 0x34EF9506;
constexpr std::uint32_t kUsages = 0x189A1FDF;
constexpr std::uint32_t kUsagesVersion = 0x00010088;
constexpr int kIncompatibleVersion = -9;
constexpr int kEndEnumeration = -7;
constexpr std::uintptr_t kDisplayBase = 0xD00;
constexpr std::uintptr_t kGpuBase = 0x10000;

void Log(const char* format, unsigned long first = 0, unsigned long second = 0) {
  const char* path = std::getenv("QNC_FAKE_NVAPI_LOG");
  if (path == nullptr) return;
  std::FILE* file = std::fopen(path, "a");
  if (file == nullptr) return;
  std::fprintf(file, format, first, second);
  std::fputc('\n', file);
  std::fclose(file);
}

// The text after "key=" in the scenario, or null when the key is absent.
const char* Value(const char* key) {
  const char* scenario = std::getenv("QNC_FAKE_NVAPI");
  if (scenario == nullptr) return nullptr;
  const std::size_t keyLength = std::strlen(key);
  for (const char* at = scenario; *at != '\0';) {
    if (std::strncmp(at, key, keyLength) == 0 && at[keyLength] == '=') return at + keyLength + 1;
    const char* next = std::strchr(at, ';');
    if (next == nullptr) break;
    at = next + 1;
  }
  return nullptr;
}

long Number(const char* key, long fallback) {
  const char* value = Value(key);
  return value != nullptr ? std::strtol(value, nullptr, 0) : fallback;
}

// Whether `wanted` is in the comma-separated list of `key`. Items are read as
// long long: interface ids do not fit a 32-bit long (Windows' long).
bool Listed(const char* key, long long wanted, int base = 10) {
  const char* at = Value(key);
  while (at != nullptr && *at != '\0' && *at != ';') {
    char* end = nullptr;
    const long long item = std::strtoll(at, &end, base);
    if (end == at) return false;
    if (item == wanted) return true;
    at = *end == ',' ? end + 1 : end;
  }
  return false;
}

int Initialize() {
  Log("init");
  return static_cast<int>(Number("init", 0));
}

int EnumDisplay(std::uint32_t index, void** display) {
  Log("enum %lu", index);
  const bool found = Value("displays") == nullptr ? index == 0 : Listed("displays", index);
  if (!found) return kEndEnumeration;
  *display = reinterpret_cast<void*>(kDisplayBase + index);
  return 0;
}

int PhysicalGpus(void* display, void** gpus, std::uint32_t* count) {
  const auto handle = reinterpret_cast<std::uintptr_t>(display);
  Log("gpus %lx", handle);
  if (Value("gpusfail") != nullptr && Listed("gpusfail", static_cast<long>(handle - kDisplayBase))) return -1;
  const long reported = Number("gpus", 1);
  for (long gpu = 0; gpu < reported && gpu < 64; ++gpu) {
    gpus[gpu] = reinterpret_cast<void*>(kGpuBase + (handle - kDisplayBase) * 0x100 + static_cast<std::uintptr_t>(gpu));
  }
  *count = static_cast<std::uint32_t>(reported);
  return 0;
}

int Usages(void* gpu, std::uint32_t* record) {
  const auto handle = reinterpret_cast<std::uintptr_t>(gpu);
  Log("usages %lx %08lx", handle, record[0]);
  if (record[0] != kUsagesVersion) return kIncompatibleVersion;
  const long position = static_cast<long>(handle & 0xFF);
  if (Listed("usagefail", position)) return -1;
  // Distinct values around the busy percentage, so a reader of the wrong word
  // shows a wrong number.
  for (int word = 1; word < 34; ++word) record[word] = 900 + static_cast<std::uint32_t>(word);
  record[3] = static_cast<std::uint32_t>(Number("usage", 0) + position);
  return 0;
}

__attribute__((constructor)) void OnLoad() { Log("load"); }
__attribute__((destructor)) void OnUnload() { Log("unload"); }

}  // namespace

extern "C" __attribute__((visibility("default"))) void* nvapi_QueryInterface(std::uint32_t id) {
  Log("query %08lx", id);
  if (Listed("missing", id, 16)) return nullptr;
  switch (id) {
    case kInitialize:
      return reinterpret_cast<void*>(&Initialize);
    case kEnumDisplay:
      return reinterpret_cast<void*>(&EnumDisplay);
    case kPhysicalGpus:
      return reinterpret_cast<void*>(&PhysicalGpus);
    case kUsages:
      return reinterpret_cast<void*>(&Usages);
    default:
      return nullptr;
  }
}
