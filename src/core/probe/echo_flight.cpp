#include "core/probe/echo_flight.h"

#include <array>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace qnc {

namespace {

using SteadyClock = std::chrono::steady_clock;

// Says once per process, on standard error, why pings cannot be sent.
void ReportNoIcmpSocketOnce(const std::string& why) {
  static std::once_flag reported;
  std::call_once(reported, [&why] { std::fprintf(stderr, "quorix: ping disabled: %s\n", why.c_str()); });
}

// One pass of echo probes on one socket, driven by RunInFlight.
class EchoPass {
 public:
  EchoPass(IcmpSocket& socket, std::span<const Ipv4NetOrder> destinations, EchoCounters& counters,
           const TickSource& ticks, int timeoutMs, const std::function<void(const EchoDone&)>& done)
      : socket_(socket),
        destinations_(destinations),
        counters_(counters),
        ticks_(ticks),
        timeoutMs_(timeoutMs),
        done_(done),
        sent_(destinations.size()) {}

  void Start(std::size_t index) {
    Sent& sent = sent_[index];
    sent.wall = std::chrono::system_clock::now();
    sent.steady = SteadyClock::now();
    sent.tick = ticks_.Now();
    const auto expected = SendEchoRequest(socket_, destinations_[index], counters_, ticks_);
    if (!expected) {
      const int error = LastSocketError();
      End(index, {IsUnreachableError(error) ? FailureReason::kUnreachable : FailureReason::kLocalError, {}});
      return;
    }
    matcher_.Add(index, *expected, TickCount() + static_cast<std::uint32_t>(timeoutMs_));
  }
  std::size_t InFlight() const { return matcher_.InFlight(); }
  std::optional<int> MsToNextDeadline(std::uint32_t now) { return matcher_.MsToNextDeadline(now); }
  void Expire(std::uint32_t now) {
    matcher_.ExpireAt(now, [this](std::size_t index) {
      End(index, {FailureReason::kTimeout, SteadyClock::now() - sent_[index].steady});
    });
  }
  void Receive(int waitMs, std::stop_token stop) {
    auto received = waitMs > 0 ? socket_.Receive(buffer_, waitMs, std::move(stop)) : socket_.ReceiveWaiting(buffer_);
    while (received) {
      const auto arrivedAt = SteadyClock::now();
      const std::span<const std::uint8_t> message(buffer_.data(), received->length);
      if (const auto match = matcher_.Take(message, received->includesIpHeader, received->from)) {
        End(match->index, {match->reason, arrivedAt - sent_[match->index].steady});
      }
      received = socket_.ReceiveWaiting(buffer_);
    }
  }

 private:
  struct Sent {
    std::chrono::system_clock::time_point wall;
    SteadyClock::time_point steady;
    std::uint32_t tick = 0;
  };
  void End(std::size_t index, const ProbeOutcome& outcome) {
    done_(EchoDone{index, outcome, sent_[index].wall, ticks_.Now() - sent_[index].tick});
  }

  IcmpSocket& socket_;
  std::span<const Ipv4NetOrder> destinations_;
  EchoCounters& counters_;
  const TickSource& ticks_;
  int timeoutMs_;
  const std::function<void(const EchoDone&)>& done_;
  std::vector<Sent> sent_;
  EchoMatcher matcher_;
  std::array<std::uint8_t, 1500> buffer_{};
};

}  // namespace

std::optional<EchoMatcher::Match> EchoMatcher::Take(std::span<const std::uint8_t> message, bool includesIpHeader,
                                                    Ipv4NetOrder from) {
  FailureReason reason = FailureReason::kNone;
  auto answered = EchoReplyIn(message, includesIpHeader, from);
  if (!answered) {
    answered = EchoQuotedByError(message, includesIpHeader);
    reason = FailureReason::kUnreachable;
  }
  if (!answered) return std::nullopt;
  const auto* entry = book_.Find(answered->sequence);
  if (entry == nullptr || entry->value != *answered) return std::nullopt;
  const Match match{entry->index, reason};
  book_.Remove(answered->sequence);
  return match;
}

IcmpSocket* EchoFlight::Socket(FailureReason& whyNot) {
  if (socket_) return &*socket_;
  std::string why;
  socket_ = IcmpSocket::Open(&why);
  if (!socket_) {
    const int error = LastSocketError();
    ReportNoIcmpSocketOnce(why);
    whyNot = IsPermissionError(error) ? FailureReason::kNoPermission : FailureReason::kLocalError;
    return nullptr;
  }
  socket_->KeepOnlyRepliesAndErrors();
  return &*socket_;
}

void EchoFlight::PingMany(std::span<const Ipv4NetOrder> destinations, int burst, EchoCounters& counters,
                          const TickSource& ticks, int timeoutMs, std::stop_token stop,
                          const std::function<void(const EchoDone&)>& done) {
  FailureReason whyNot = FailureReason::kLocalError;
  IcmpSocket* socket = Socket(whyNot);
  if (socket == nullptr) {
    const auto now = std::chrono::system_clock::now();
    for (std::size_t i = 0; i < destinations.size() && !stop.stop_requested(); ++i) {
      done(EchoDone{i, {whyNot, {}}, now, 0});
    }
    return;
  }
  EchoPass pass(*socket, destinations, counters, ticks, timeoutMs, done);
  RunInFlight(destinations.size(), burst, kMaxProbesInFlight, std::move(stop), pass);
}

ProbeOutcome EchoFlight::PingOne(Ipv4NetOrder destination, EchoCounters& counters, const TickSource& ticks,
                                 int timeoutMs, std::stop_token stop) {
  // A stop before the end leaves the outcome a time-out of the moment, as a
  // wait cut short ends.
  ProbeOutcome outcome{FailureReason::kTimeout, {}};
  const auto start = SteadyClock::now();
  bool ended = false;
  PingMany(std::span(&destination, 1), 1, counters, ticks, timeoutMs, stop, [&](const EchoDone& probe) {
    outcome = probe.outcome;
    ended = true;
  });
  if (!ended) outcome.roundTrip = SteadyClock::now() - start;
  return outcome;
}

}  // namespace qnc
