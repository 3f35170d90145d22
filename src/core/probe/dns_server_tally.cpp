#include "core/probe/dns_server_tally.h"

#include "platform/ipv4.h"

namespace qnc {

void DnsServerTally::Record(const std::string& server, const Sample& sample) {
  if (!ParseDottedQuad(server)) return;
  std::lock_guard lock(mutex_);
  auto found = servers_.find(server);
  if (found == servers_.end()) {
    if (servers_.size() >= kMaxServers) return;
    found = servers_.emplace(server, Totals{}).first;
  }
  Totals& totals = found->second;
  ++totals.samples;
  if (sample.Answered()) {
    totals.answeredMsSum += sample.RoundTripMs();
  } else {
    ++totals.failed;
  }
}

std::vector<DnsServerHealth> DnsServerTally::Servers() const {
  std::lock_guard lock(mutex_);
  std::vector<DnsServerHealth> result;
  result.reserve(servers_.size());
  for (const auto& [server, totals] : servers_) {
    const std::uint32_t answered = totals.samples - totals.failed;
    result.push_back({server, totals.samples, totals.failed, answered == 0 ? 0.0 : totals.answeredMsSum / answered});
  }
  return result;
}

}  // namespace qnc
