// Feeds arbitrary files to the configuration reader through the disk, some of
// them padded to a few bytes around the size limit: a file up to the limit
// reads exactly as its bytes parse, a larger one is refused.
//
// Input: byte 0 bit 0 asks for padding, byte 1 picks the padded size from
// limit - 2 to limit + 2, the rest is the start of the file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <span>
#include <string>

#include "core/config/config_file.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

const std::string& FilePath() {
  static const std::string path = "/tmp/qnc_fuzz_config_" + std::to_string(::getpid()) + ".txt";
  return path;
}

// Reads the file written for this input; the file goes again at once, since
// libFuzzer may end the process without running exit handlers.
qnc::LoadedConfig ReadAndRemove(std::string& why) {
  qnc::LoadedConfig read = qnc::ReadConfig(FilePath(), &why);
  std::remove(FilePath().c_str());
  return read;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  std::string file(reinterpret_cast<const char*>(data + 2), size - 2);
  if ((data[0] & 1) != 0) {
    const std::size_t padded = qnc::kMaxConfigFileBytes - 2 + data[1] % 5;
    if (file.size() < padded) file.resize(padded, 'x');
  }
  {
    std::ofstream out(FilePath(), std::ios::binary | std::ios::trunc);
    out.write(file.data(), static_cast<std::streamsize>(file.size()));
    Check(out.good());
  }
  std::string why;
  const qnc::LoadedConfig read = ReadAndRemove(why);
  if (file.size() > qnc::kMaxConfigFileBytes) {
    Check(!read.accepted && why == "it is larger than 1 MB");
    return 0;
  }
  const qnc::LoadedConfig parsed =
      qnc::ParseConfig(std::span(reinterpret_cast<const std::uint8_t*>(file.data()), file.size()));
  Check(read == parsed);
  Check(read.accepted == why.empty());
  return 0;
}
