// Feeds arbitrary file texts to the route table and resolver configuration
// parsers: whatever they return must be a usable dotted IPv4 address, and the
// gateway is never 0.0.0.0.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ip_config.h"
#include "platform/ipv4.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string gateway = qnc::GatewayFromRouteTable(text);
  if (!gateway.empty()) {
    const auto address = qnc::ParseDottedQuad(gateway);
    Check(address.has_value() && *address != 0);
  }
  for (const std::string& server : qnc::NameserversFromResolvConf(text)) {
    Check(qnc::ParseDottedQuad(server).has_value());
  }
  return 0;
}
