#pragma once
// A route made of scripted hops for the tracer: each probe is answered (or
// not) by the hop its TTL expires at, after that hop's delay, on a clock the
// test owns. Waiting moves the clock instead of sleeping.
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/route/hop_prober.h"
#include "core/route/route_tracer.h"
#include "platform/ipv4.h"

namespace qnc {

struct ScriptedHop {
  // The addresses it answers from, in turn (a balanced hop has several).
  std::vector<Ipv4NetOrder> addresses;
  std::int64_t delayUs = 1000;
  // Whether it answers its n-th probe (from 0); always when empty.
  std::function<bool(std::uint32_t n)> answers;
};

struct SentProbe {
  std::uint16_t probe = 0;
  int ttl = 0;
  std::int64_t atUs = 0;
};

class ScriptedRoute : public HopProber {
 public:
  // hops[i] answers probes with TTL i + 1; the last hop is the destination
  // and answers every larger TTL too (unless destinationSilent).
  explicit ScriptedRoute(std::vector<ScriptedHop> hops) : hops_(std::move(hops)) {}

  bool Send(std::uint16_t probe, int ttl) override {
    sent.push_back({probe, ttl, nowUs});
    const std::size_t index = std::min<std::size_t>(static_cast<std::size_t>(ttl), hops_.size()) - 1;
    ScriptedHop& hop = hops_[index];
    const std::uint32_t n = asked_[index]++;
    const bool isDestination = index + 1 == hops_.size();
    if (isDestination && destinationSilent) return true;
    if (hop.answers && !hop.answers(n)) return true;
    const Ipv4NetOrder from = hop.addresses[n % hop.addresses.size()];
    due_.emplace(nowUs + hop.delayUs, HopAnswer{probe, from, isDestination});
    return true;
  }

  std::optional<HopAnswer> Wait(int timeoutMs, std::stop_token) override {
    const std::int64_t until = nowUs + std::int64_t{timeoutMs} * 1000;
    if (!due_.empty() && due_.begin()->first <= until) {
      nowUs = std::max(nowUs, due_.begin()->first);
      const HopAnswer answer = due_.begin()->second;
      due_.erase(due_.begin());
      return answer;
    }
    nowUs = until;
    return std::nullopt;
  }

  // Replaces a hop's script from now on (a route that changes mid-run).
  void SetHop(std::size_t index, ScriptedHop hop) { hops_[index] = std::move(hop); }

  TraceClock Clock() {
    return {[this] { return nowUs; },
            [this] { return std::chrono::system_clock::time_point(std::chrono::microseconds(nowUs)); }};
  }

  std::int64_t nowUs = 1'000'000;
  bool destinationSilent = false;
  std::vector<SentProbe> sent;

 private:
  std::vector<ScriptedHop> hops_;
  std::map<std::size_t, std::uint32_t> asked_;
  std::multimap<std::int64_t, HopAnswer> due_;
};

inline Ipv4NetOrder Address(const char* text) { return *ParseDottedQuad(text); }

}  // namespace qnc
