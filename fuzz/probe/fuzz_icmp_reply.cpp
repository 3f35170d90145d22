// Feeds arbitrary received packets to the echo reply check, with and without
// the IPv4 header that raw sockets deliver.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/probe/icmp_probe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const bool withHeader = (data[0] & 1) != 0;
  const std::span<const std::uint8_t> packet(data + 1, size - 1);
  const qnc::EchoExpectation expected{0x0100007F, 1, 1};
  (void)qnc::IsEchoReplyFor(packet, withHeader, expected.from, expected);
  return 0;
}
