// Feeds arbitrary bytes to the metrics server's reading of a request head and
// checks what it makes of them: a complete head lies within the input and the
// limit and names a path or "*", more input after it changes nothing, and a
// refusal carries one of the statuses the server sends.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cli/metrics/http_request.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  constexpr std::size_t kLimit = 512;
  const qnc::HeadReading reading = qnc::ReadRequestHead(input, kLimit);
  using Outcome = qnc::HeadReading::Outcome;
  switch (reading.outcome) {
    case Outcome::kIncomplete:
      if (size >= kLimit) std::abort();
      break;
    case Outcome::kBad:
      if (reading.status != 400 && reading.status != 414 && reading.status != 431 && reading.status != 505) {
        std::abort();
      }
      break;
    case Outcome::kComplete: {
      if (reading.length == 0 || reading.length > size || reading.length > kLimit) std::abort();
      const std::string& path = reading.request.path;
      if (path.empty() || (path.front() != '/' && path != "*")) std::abort();
      const qnc::HeadReading longer = qnc::ReadRequestHead(std::string(input) + "GET / HTTP/1.1\r\n", kLimit);
      if (longer.outcome != Outcome::kComplete || longer.length != reading.length) std::abort();
      break;
    }
  }
  return 0;
}
