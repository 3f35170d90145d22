#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "core/probe/sample.h"

namespace qnc {

// A DNS server that the DNS table has queried, with the figures of the
// look-ups it answered or failed.
struct DnsServerHealth {
  std::string server;
  std::uint32_t samples = 0;
  std::uint32_t failed = 0;
  double averageMs = 0;

  double LossRatio() const { return samples == 0 ? 0.0 : static_cast<double>(failed) / samples; }
};

// The figures of every DNS server the DNS table has queried since start:
// each look-up is counted for the server in the DNS server box as it ends.
// Thread-safe: the DNS worker records while the window reads.
class DnsServerTally {
 public:
  // More servers than this are not told apart (each keystroke in the box can
  // name another one); the first ones seen are kept.
  static constexpr std::size_t kMaxServers = 64;

  // Counts one look-up against `server`; a text that is no dotted IPv4
  // address (a box being typed into) counts for nothing.
  void Record(const std::string& server, const Sample& sample);
  // Every server seen, in address text order.
  std::vector<DnsServerHealth> Servers() const;

 private:
  struct Totals {
    std::uint32_t samples = 0;
    std::uint32_t failed = 0;
    double answeredMsSum = 0;
  };
  mutable std::mutex mutex_;
  std::map<std::string, Totals> servers_;
};

}  // namespace qnc
