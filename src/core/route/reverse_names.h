#pragma once
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/ipv4.h"

namespace qnc {

// The reverse names of a route's hops, looked up once each on a thread of
// its own, so that a slow or silent resolver never holds up the probes. A
// lookup that takes longer than the limit leaves the address without a name.
class ReverseNames {
 public:
  using Lookup = std::function<std::optional<std::string>(Ipv4NetOrder)>;
  static constexpr std::chrono::milliseconds kDefaultLimit{2000};

  explicit ReverseNames(Lookup lookup = {}, std::chrono::milliseconds limit = kDefaultLimit);
  ~ReverseNames();
  ReverseNames(const ReverseNames&) = delete;
  ReverseNames& operator=(const ReverseNames&) = delete;

  // Asks for the name of an address; a second request for it does nothing.
  void Want(Ipv4NetOrder address);
  // The name found for an address: "" while the lookup is due or when there is none.
  std::string NameOf(Ipv4NetOrder address) const;
  // True when every address asked for has been looked up (or given up on).
  bool Settled() const;

 private:
  void Serve(std::stop_token stop);

  Lookup lookup_;
  std::chrono::milliseconds limit_;
  mutable std::mutex mutex_;
  std::condition_variable_any wanted_;
  std::deque<Ipv4NetOrder> queue_;
  std::map<Ipv4NetOrder, std::optional<std::string>> names_;  // nothing: not looked up yet
  std::jthread worker_;
};

}  // namespace qnc
