#pragma once
#include <string>
#include <utility>
#include <vector>

#include "probe/probe_table.h"

namespace qnc {

// The hosts that the tables start with.
inline constexpr const char* kPortalHost = "www.baidu.com";
inline constexpr const char* kSecondPortalHost = "www.sina.com.cn";
inline constexpr const char* kGameSiteHost = "lol.qq.com";
inline constexpr const char* kFirstGameServerHost = "game.qq.com";
inline constexpr const char* kSecondGameServerHost = "lpl.qq.com";

// A row that a table starts with: its target and the other cells it shows
// before its worker first writes it.
struct DefaultRow {
  std::string target;
  std::vector<std::pair<int, std::string>> cells;
};

// The rows a table starts with. The ping table's fourth row is the LAN gateway
// (an empty target, never measured, when there is none).
std::vector<DefaultRow> DefaultRows(TableKind kind, const std::string& gateway);

}  // namespace qnc
