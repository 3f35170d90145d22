#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <stop_token>

#include "core/probe/icmp_probe.h"
#include "core/probe/in_flight.h"
#include "core/probe/probe_outcome.h"
#include "platform/icmp_socket.h"
#include "platform/ipv4.h"
#include "platform/ticks.h"

namespace qnc {

// The echo requests in flight on one socket, by sequence number, and what
// each reply or error must carry to be theirs: a reply from another host or
// with another identifier (another program's ping), or an error quoting
// another request, finds no probe.
class EchoMatcher {
 public:
  struct Match {
    std::size_t index = 0;
    FailureReason reason = FailureReason::kNone;  // kNone: the echo reply; kUnreachable: an ICMP error
  };

  void Add(std::size_t index, const EchoExpectation& expected, std::uint32_t deadline) {
    book_.Add(expected.sequence, index, expected, deadline);
  }
  // The probe a received message (as IcmpSocket gives it) ends, taken out of
  // flight; nothing when it is no answer to any of them.
  std::optional<Match> Take(std::span<const std::uint8_t> message, bool includesIpHeader, Ipv4NetOrder from);
  std::size_t InFlight() const { return book_.Size(); }
  std::optional<int> MsToNextDeadline(std::uint32_t now) { return book_.MsToNextDeadline(now); }
  template <typename Expired>
  void ExpireAt(std::uint32_t now, Expired expired) {
    book_.ExpireAt(now, [&](const auto& entry) { expired(entry.index); });
  }

 private:
  FlightBook<std::uint16_t, EchoExpectation> book_;
};

// How one echo probe of many ended.
struct EchoDone {
  std::size_t index = 0;  // into the destinations
  ProbeOutcome outcome;
  std::chrono::system_clock::time_point sentAtWall;  // when it was sent, for the sample
  std::uint32_t elapsedTicks = 0;                    // of the worker's tick source, from the send to the end
};

// A ping worker's echo probes on one ICMP socket, opened at the first probe
// and kept (filtered to echo replies and errors where the system can), with
// as many requests in flight as the caller allows, each reply matched to its
// probe by sender, identifier and sequence.
class EchoFlight {
 public:
  // One probe, sent and waited for alone: up to timeoutMs for its reply.
  ProbeOutcome PingOne(Ipv4NetOrder destination, EchoCounters& counters, const TickSource& ticks, int timeoutMs,
                       std::stop_token stop);

  // Probes every destination, in order, `burst` requests at a time (see
  // RunInFlight), each with its own time-out; `done` hears of each as it
  // ends. After a stop request the probes in flight end unheard of.
  void PingMany(std::span<const Ipv4NetOrder> destinations, int burst, EchoCounters& counters, const TickSource& ticks,
                int timeoutMs, std::stop_token stop, const std::function<void(const EchoDone&)>& done);

 private:
  // The socket, opened when there is none yet; on failure, why.
  IcmpSocket* Socket(FailureReason& whyNot);

  std::optional<IcmpSocket> socket_;
};

}  // namespace qnc
