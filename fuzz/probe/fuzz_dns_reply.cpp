// Feeds arbitrary datagrams to the DNS reply parser.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/probe/dns_client.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> reply(data, size);
  const auto id = qnc::DnsMessageId(reply);
  (void)qnc::ParseDnsReply(reply, id.value_or(0));
  // The block form, as the query path calls it.
  qnc::DnsQueryBlock block;
  const std::size_t length = size < block.reply.size() ? size : block.reply.size();
  for (std::size_t i = 0; i < length; ++i) block.reply[i] = data[i];
  block.queryId = id.value_or(0);
  qnc::Ipv4NetOrder address = 0;
  (void)qnc::DnsParseReply(static_cast<int>(length), block, address);
  return 0;
}
