#include "core/lantest/lan_stream.h"

#include <algorithm>

namespace qnc {

std::string WireHostName(const std::optional<std::string>& systemName) {
  if (!systemName || systemName->empty() || systemName->size() > kMaxWireHostName) return std::string(kNoHostName);
  return *systemName;
}

std::size_t WriteClientGreeting(std::span<std::uint8_t> chunk, std::string_view hostName) {
  const std::size_t end = 1 + hostName.size() + kGreeting.size() + 1;
  if (chunk.size() < end) return 0;
  auto out = chunk.begin() + 1;
  out = std::copy(hostName.begin(), hostName.end(), out);
  out = std::copy(kGreeting.begin(), kGreeting.end(), out);
  *out = 0;
  return end;
}

std::optional<FirstChunk> InterpretFirstChunk(std::span<const std::uint8_t> received) {
  if (received.empty()) return std::nullopt;
  const int mode = static_cast<std::int8_t>(received.front());
  return FirstChunk{mode, ServerSizesFor(mode)};
}

}  // namespace qnc
