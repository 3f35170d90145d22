#include "core/probe/default_rows.h"

#include "core/probe/probe_table.h"

namespace qnc {

namespace {

// A national web portal (Baidu, which the third game row names), a second
// portal, the web site of the game's publisher (Tencent Games) and two of that
// publisher's long-lived League of Legends hosts standing for the Ionia and
// Bilgewater regions.
constexpr const char* kPortalHost = "www.baidu.com";
constexpr const char* kSecondPortalHost = "www.sina.com.cn";
constexpr const char* kGameSiteHost = "game.qq.com";
constexpr const char* kFirstGameServerHost = "lol.qq.com";
constexpr const char* kSecondGameServerHost = "lpl.qq.com";

}  // namespace

std::vector<DefaultRow> DefaultDnsRows() {
  // Placeholder figures stand in the result cells until the first pass.
  return {
      {kPortalHost, {{cell::kLatency, "40"}, {cell::kAverage, "60"}, {cell::kLoss, "0"}}},
      {kSecondPortalHost, {{cell::kLatency, "43"}, {cell::kAverage, "65"}, {cell::kLoss, "0"}}},
      {kGameSiteHost, {{cell::kLatency, "43"}, {cell::kAverage, "65"}, {cell::kLoss, "0"}}},
  };
}

std::vector<DefaultRow> DefaultPingRows(const std::string& gatewayAddress) {
  return {{kPortalHost, {}}, {kSecondPortalHost, {}}, {kGameSiteHost, {}}, {gatewayAddress, {}}};
}

std::vector<DefaultRow> DefaultGameRows() {
  return {
      {std::string(kFirstGameServerHost) + ":443", {{cell::kGameDescription, "英雄联盟艾欧尼亚（LOL)"}}},
      {std::string(kSecondGameServerHost) + ":443", {{cell::kGameDescription, "英雄联盟比尔吉沃特（LOL）"}}},
      {std::string(kPortalHost) + ":80", {{cell::kGameDescription, "百度网的实际延迟"}}},
  };
}

}  // namespace qnc
