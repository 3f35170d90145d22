// Feeds arbitrary domain texts to the query builder. Besides memory errors it
// checks what a DNS server relies on: a built query carries a well-formed name
// (labels of 1 to 63 bytes, at most 255 bytes in all) that spells the text
// without its trailing dot, and a refused text leaves no query behind.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/probe/dns_client.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  qnc::DnsQueryBlock block;
  if (!qnc::DnsBuildQuery(text, block)) {
    Check(block.queryLength == 0);
    return 0;
  }
  const std::string_view used = text.substr(0, text.find('\0'));
  const auto& query = block.query;
  const std::size_t end = static_cast<std::size_t>(block.queryLength);
  Check(end <= query.size() && end == 12 + static_cast<std::size_t>(block.questionLength));

  // Walk the name back into dotted text.
  std::string dotted;
  std::size_t at = 12;
  while (query[at] != 0) {
    const std::size_t label = query[at];
    Check(label <= qnc::kMaxDnsLabelLength && at + 1 + label < end);
    if (!dotted.empty()) dotted.push_back('.');
    dotted.append(reinterpret_cast<const char*>(&query[at + 1]), label);
    at += 1 + label;
  }
  Check(at + 1 - 12 <= 255);
  Check(at + 5 == end);  // the zero byte, then type and class
  Check(query[at + 1] == 0 && query[at + 2] == 1 && query[at + 3] == 0 && query[at + 4] == 1);
  std::string_view expected = used;
  if (!expected.empty() && expected.back() == '.') expected.remove_suffix(1);
  Check(dotted == expected);
  return 0;
}
