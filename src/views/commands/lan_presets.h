#pragma once
#include <string_view>

namespace qnc {

// The texts the LAN menu commands open the LAN test window with; the first,
// byte for byte, opens it in server mode, anything else in client mode.
inline constexpr std::string_view kLanServerPreset = "Quorix测速服务器端";
inline constexpr std::string_view kLanClientPreset = "Quorix测速客户端";

}  // namespace qnc
