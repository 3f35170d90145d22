#include "core/probe/host_port.h"

namespace qnc {

namespace {

// atoi's reading of a number, in 32-bit wrap-around arithmetic instead of
// atoi's undefined overflow.
std::uint32_t AtoiLowBits(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::uint32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
  }
  return negative ? 0u - value : value;
}

}  // namespace

HostPort SplitHostPort(std::string_view text) {
  const auto colon = text.find(':');
  if (colon == std::string_view::npos) return HostPort{std::string(text), 80};
  return HostPort{std::string(text.substr(0, colon)), static_cast<std::uint16_t>(AtoiLowBits(text.substr(colon + 1)))};
}

}  // namespace qnc
