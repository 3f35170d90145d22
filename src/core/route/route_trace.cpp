#include "core/route/route_trace.h"

#include <chrono>
#include <unordered_set>

#include "core/route/echo_hop_prober.h"
#include "core/route/tcp_hop_prober.h"
#include "platform/resolve.h"
#include "platform/stoppable_wait.h"
#include "platform/ttl_probe.h"

namespace qnc {

namespace {
constexpr std::chrono::seconds kLookupLimit{10};
}

std::unique_ptr<HopProber> OpenSystemProber(const RouteRequest& request, Ipv4NetOrder destination,
                                            std::string* whyNot) {
  if (!TtlProbesAvailable(whyNot)) return nullptr;
  if (request.tcpPort) return std::make_unique<TcpHopProber>(destination, *request.tcpPort);
  return EchoHopProber::Open(destination, whyNot);
}

RouteTrace::RouteTrace(RouteRequest request, HopProberFactory factory, ReverseNames::Lookup nameLookup)
    : request_(std::move(request)) {
  base_.target = request_.target;
  base_.tcpPort = request_.tcpPort;
  base_.interval = request_.options.interval;
  base_.fastPace = request_.options.interval < kGentleInterval;
  if (request_.reverseNames) names_ = std::make_unique<ReverseNames>(std::move(nameLookup));
  worker_ = std::jthread([this, factory = std::move(factory)](std::stop_token stop) { Trace(stop, factory); });
}

RouteTrace::~RouteTrace() { Stop(); }

void RouteTrace::Stop() {
  worker_.request_stop();
  if (worker_.joinable()) worker_.join();
}

void RouteTrace::Trace(std::stop_token stop, HopProberFactory factory) {
  const auto finish = [this](std::string error) {
    {
      std::lock_guard lock(mutex_);
      base_.error = std::move(error);
      finished_ = true;
    }
    finishedChanged_.notify_all();
  };
  const HostLookupResult lookup = ResolveIpv4UnlessStopped(request_.target, stop, {}, kLookupLimit);
  if (!lookup.address) return finish(stop.stop_requested() ? "" : "无法解析 " + request_.target);
  {
    std::lock_guard lock(mutex_);
    base_.destination = *lookup.address;
  }
  std::string whyNot;
  auto prober = factory(request_, *lookup.address, &whyNot);
  if (!prober) return finish(whyNot.empty() ? "无法发送探测包" : whyNot);
  const TraceClock clock = TraceClock::System();
  {
    std::lock_guard lock(mutex_);
    prober_ = std::move(prober);
    tracer_ = std::make_unique<RouteTracer>(*prober_, request_.options, clock);
  }
  std::unordered_set<Ipv4NetOrder> named;
  for (;;) {
    std::optional<int> waitMs;
    {
      std::lock_guard lock(mutex_);
      waitMs = tracer_->Advance();
    }
    if (!waitMs || stop.stop_requested()) break;
    const auto answer = prober_->Wait(*waitMs, stop);
    if (!answer) continue;
    const std::int64_t receivedUs = clock.nowUs();
    std::lock_guard lock(mutex_);
    tracer_->Accept(*answer, receivedUs);
    if (names_ && named.insert(answer->from).second) names_->Want(answer->from);
  }
  finish("");
}

RouteSnapshot RouteTrace::Snapshot() const {
  std::lock_guard lock(mutex_);
  RouteSnapshot snapshot = base_;
  if (!tracer_) return snapshot;
  tracer_->Fill(snapshot);
  if (names_) {
    for (HopSnapshot& hop : snapshot.hops) {
      for (HopResponder& responder : hop.responders) responder.name = names_->NameOf(responder.address);
    }
  }
  return snapshot;
}

bool RouteTrace::Finished() const {
  std::lock_guard lock(mutex_);
  return finished_;
}

bool RouteTrace::WaitFinished(std::stop_token stop) const {
  std::unique_lock lock(mutex_);
  return WaitUnlessStopped(finishedChanged_, lock, std::move(stop), [this] { return finished_; });
}

}  // namespace qnc
