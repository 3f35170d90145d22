#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace qnc {

// What is wrong with the DNS server box's text, or "" when it names a server.
// While it says something, the DNS rows stand still: the box is marked in
// kInvalidServerBoxRgb and every DNS row's tip says it too.
std::string ServerBoxProblem(std::string_view boxText);

// The box's background while its text names no server, as 0xRRGGBB.
inline constexpr std::uint32_t kInvalidServerBoxRgb = 0xffd6d6;

}  // namespace qnc
