#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <stop_token>

#include "core/probe/probe_outcome.h"
#include "platform/ipv4.h"
#include "platform/ticks.h"

namespace qnc {

struct ConnectTarget {
  Ipv4NetOrder address = 0;
  std::uint16_t port = 0;
};

// How one connect probe of many ended.
struct ConnectDone {
  std::size_t index = 0;  // into the targets
  ProbeOutcome outcome;
  std::chrono::system_clock::time_point startedAtWall;  // for the sample
  std::uint32_t elapsedTicks = 0;                       // of the tick source, from the socket's opening to the end
};

// Why a connect failed, from the system's error number.
FailureReason ReasonOfConnectError(int error);

// Times a TCP connect to every target, closed at once without data: `burst`
// connects started at a time (see RunInFlight), each on a non-blocking socket
// of its own with its own time-out, all of them watched together. At most as
// many are in flight as the process may hold sockets for (ConnectSocketBudget).
// `done` hears of each as it ends; after a stop request those in flight end
// unheard of.
void ConnectMany(std::span<const ConnectTarget> targets, int burst, int timeoutMs, const TickSource& ticks,
                 std::stop_token stop, const std::function<void(const ConnectDone&)>& done);

}  // namespace qnc
