#pragma once
#include <cstddef>
#include <cstdint>

// The part of NVIDIA's NVAPI driver interface that the GPU monitor uses. The
// driver library exports a single entry point, "nvapi_QueryInterface", which
// hands out every other operation by a 32-bit interface id.
namespace qnc::nvapi {

// The driver installs one library per word size on Windows.
#if defined(_WIN64)
inline constexpr const char* kDefaultLibraryName = "nvapi64.dll";
#elif defined(_WIN32)
inline constexpr const char* kDefaultLibraryName = "nvapi.dll";
#else
inline constexpr const char* kDefaultLibraryName = "libnvidia-api.so.1";
#endif

inline constexpr const char* kQueryInterfaceName = "nvapi_QueryInterface";

// Interface ids.
inline constexpr std::uint32_t kInitialize = 0x0150E828;
inline constexpr std::uint32_t kEnumNvidiaDisplayHandle = 0x9ABDD40D;
inline constexpr std::uint32_t kGetPhysicalGpusFromDisplay = 0x34EF9506;
inline constexpr std::uint32_t kGetUsages = 0x189A1FDF;

// Handles are opaque to the caller and pointer-sized in the driver's own
// declarations (32 bits on 32-bit Windows, 64 bits on a 64-bit Linux driver).
using Handle = void*;

inline constexpr std::size_t kMaxPhysicalGpus = 64;  // size of the handle array the driver fills

// The usages record: 136 bytes; the caller sets the first word to the record
// size (low 16 bits) and structure version 1 (high 16 bits); the driver puts
// the GPU's busy percentage in the word at byte offset 12.
inline constexpr std::size_t kUsagesRecordBytes = 136;
inline constexpr std::uint32_t kUsagesRecordVersion = kUsagesRecordBytes | (1u << 16);  // 0x00010088
inline constexpr std::size_t kUsagePercentOffset = 12;

// Every operation returns 0 on success.
using Status = int;
using QueryInterfaceFunction = void* (*)(std::uint32_t interfaceId);
using InitializeFunction = Status (*)();
using EnumNvidiaDisplayHandleFunction = Status (*)(std::uint32_t index, Handle* display);
using GetPhysicalGpusFromDisplayFunction = Status (*)(Handle display, Handle* gpus, std::uint32_t* gpuCount);
using GetUsagesFunction = Status (*)(Handle gpu, std::uint32_t* usagesRecord);

}  // namespace qnc::nvapi
