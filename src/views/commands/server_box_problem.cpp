#include "views/commands/server_box_problem.h"

#include "core/probe/dns_worker.h"

namespace qnc {

std::string ServerBoxProblem(std::string_view boxText) {
  if (DnsServerAddress(boxText)) return {};
  const std::string what =
      boxText.empty() ? "“dns服务器：”是空的" : "“" + std::string(boxText) + "”不是完整的 IPv4 地址";
  return what + "，DNS 表暂不查询；填入 DNS 服务器的地址（例如 114.114.114.114）后继续。";
}

}  // namespace qnc
