#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "core/route/hop_prober.h"
#include "core/route/reverse_names.h"
#include "core/route/route_model.h"
#include "core/route/route_tracer.h"

namespace qnc {

// What to trace: a host (name or address) and, for the TCP mode, its port.
struct RouteRequest {
  std::string target;
  std::optional<std::uint16_t> tcpPort;
  TraceOptions options;
  bool reverseNames = true;
};

// Makes the prober for a destination; tests put in a scripted one. Nothing,
// with the reason in whyNot, when no probe can be sent.
using HopProberFactory = std::function<std::unique_ptr<HopProber>(const RouteRequest& request, Ipv4NetOrder destination,
                                                                  std::string* whyNot)>;

// The ICMP or the TCP prober, as the request asks.
std::unique_ptr<HopProber> OpenSystemProber(const RouteRequest& request, Ipv4NetOrder destination, std::string* whyNot);

// One route traced on a thread of its own from construction until Stop (or
// until the rounds asked for are done). Snapshot copies the current state out
// for a view, whose thread it never blocks for longer than that copy.
class RouteTrace {
 public:
  explicit RouteTrace(RouteRequest request, HopProberFactory factory = OpenSystemProber,
                      ReverseNames::Lookup nameLookup = {});
  ~RouteTrace();
  RouteTrace(const RouteTrace&) = delete;
  RouteTrace& operator=(const RouteTrace&) = delete;

  RouteSnapshot Snapshot() const;
  // True once the rounds asked for are done, the trace was stopped, or it failed to start.
  bool Finished() const;
  // Waits until Finished or the stop token; true when finished.
  bool WaitFinished(std::stop_token stop) const;
  void Stop();

 private:
  void Trace(std::stop_token stop, HopProberFactory factory);

  RouteRequest request_;
  mutable std::mutex mutex_;
  mutable std::condition_variable_any finishedChanged_;
  RouteSnapshot base_;                   // target, mode, pace, error
  std::unique_ptr<HopProber> prober_;    // the worker's
  std::unique_ptr<RouteTracer> tracer_;  // guarded by mutex_ once made
  std::unique_ptr<ReverseNames> names_;
  bool finished_ = false;
  std::jthread worker_;
};

}  // namespace qnc
