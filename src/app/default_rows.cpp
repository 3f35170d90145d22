#include "app/default_rows.h"

namespace qnc {

std::vector<DefaultRow> DefaultRows(TableKind kind, const std::string& gateway) {
  const std::string portal = kPortalHost;
  switch (kind) {
    case TableKind::kDns: {
      // Placeholder figures that stand in the latency, average and loss cells
      // until the first pass; they feed no counter.
      const auto figures = [](const char* latency, const char* average) {
        return std::vector<std::pair<int, std::string>>{
            {cell::kLatency, latency}, {cell::kAverage, average}, {cell::kLoss, "0"}};
      };
      return {{portal, figures("40", "60")},
              {kSecondPortalHost, figures("43", "65")},
              {kGameSiteHost, figures("43", "65")}};
    }
    case TableKind::kPing:
      return {{portal, {}}, {kSecondPortalHost, {}}, {kGameSiteHost, {}}, {gateway, {}}};
    case TableKind::kGame:
      break;
  }
  return {{std::string(kFirstGameServerHost) + ":443", {{cell::kGameDescription, "英雄联盟艾欧尼亚（LOL)"}}},
          {std::string(kSecondGameServerHost) + ":443", {{cell::kGameDescription, "英雄联盟比尔吉沃特（LOL）"}}},
          {portal + ":80", {{cell::kGameDescription, "百度网的实际延迟"}}}};
}

}  // namespace qnc
