#include "core/probe/connect_flight.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "core/probe/in_flight.h"
#include "platform/tcp_socket.h"

namespace qnc {

namespace {

using SteadyClock = std::chrono::steady_clock;

class ConnectPass {
 public:
  ConnectPass(std::span<const ConnectTarget> targets, int timeoutMs, const TickSource& ticks,
              const std::function<void(const ConnectDone&)>& done)
      : targets_(targets), timeoutMs_(timeoutMs), ticks_(ticks), done_(done), probes_(targets.size()) {}

  void Start(std::size_t index) {
    Probe& probe = probes_[index];
    probe.wall = std::chrono::system_clock::now();
    probe.tick = ticks_.Now();
    probe.socket = TcpSocket::Open();
    probe.steady = SteadyClock::now();
    if (!probe.socket) {
      End(index, {FailureReason::kLocalError, {}});
      return;
    }
    switch (probe.socket->StartConnect(targets_[index].address, targets_[index].port)) {
      case ConnectStart::kConnected:
        End(index, {FailureReason::kNone, SteadyClock::now() - probe.steady});
        return;
      case ConnectStart::kFailed:
        End(index, {ReasonOfConnectError(probe.socket->ConnectError()), SteadyClock::now() - probe.steady});
        return;
      case ConnectStart::kPending:
        book_.Add(index, index, {}, TickCount() + static_cast<std::uint32_t>(timeoutMs_));
        return;
    }
  }
  std::size_t InFlight() const { return book_.Size(); }
  std::optional<int> MsToNextDeadline(std::uint32_t now) { return book_.MsToNextDeadline(now); }
  void Expire(std::uint32_t now) {
    book_.ExpireAt(now, [this](const auto& entry) {
      End(entry.index, {FailureReason::kTimeout, SteadyClock::now() - probes_[entry.index].steady});
    });
  }
  void Receive(int waitMs, std::stop_token stop) {
    watched_.clear();
    sockets_.clear();
    book_.ForEach([this](std::size_t index, const auto& /*entry*/) {
      watched_.push_back(index);
      sockets_.push_back(probes_[index].socket->Native());
    });
    if (WaitForConnects(sockets_, waitMs, std::move(stop), ended_) != WaitResult::kReady) return;
    const auto endedAt = SteadyClock::now();
    for (const std::size_t at : ended_) {
      const std::size_t index = watched_[at];
      Probe& probe = probes_[index];
      book_.Remove(index);
      const FailureReason reason =
          probe.socket->FinishConnect() ? FailureReason::kNone : ReasonOfConnectError(probe.socket->ConnectError());
      End(index, {reason, endedAt - probe.steady});
    }
  }

 private:
  struct Probe {
    std::optional<TcpSocket> socket;
    std::chrono::system_clock::time_point wall;
    SteadyClock::time_point steady;
    std::uint32_t tick = 0;
  };
  void End(std::size_t index, const ProbeOutcome& outcome) {
    probes_[index].socket.reset();  // closed at once, before the time is read
    done_(ConnectDone{index, outcome, probes_[index].wall, ticks_.Now() - probes_[index].tick});
  }

  std::span<const ConnectTarget> targets_;
  int timeoutMs_;
  const TickSource& ticks_;
  const std::function<void(const ConnectDone&)>& done_;
  std::vector<Probe> probes_;
  FlightBook<std::size_t, char> book_;
  std::vector<std::size_t> watched_;
  std::vector<NativeSocket> sockets_;
  std::vector<std::size_t> ended_;
};

}  // namespace

FailureReason ReasonOfConnectError(int error) {
  if (IsRefusedError(error)) return FailureReason::kRefused;
  if (IsUnreachableError(error)) return FailureReason::kUnreachable;
  return FailureReason::kLocalError;
}

void ConnectMany(std::span<const ConnectTarget> targets, int burst, int timeoutMs, const TickSource& ticks,
                 std::stop_token stop, const std::function<void(const ConnectDone&)>& done) {
  const std::size_t cap = std::max<std::size_t>(1, std::min(kMaxProbesInFlight, ConnectSocketBudget()));
  ConnectPass pass(targets, timeoutMs, ticks, done);
  RunInFlight(targets.size(), burst, cap, std::move(stop), pass);
}

}  // namespace qnc
