// Figures of the route tracer:
//   bench_route rows SECONDS TARGET...   traces every target at once at the default pace (a round a
//                                        second) for SECONDS: CPU share of one core, resident memory
//   bench_route memory ROWS HOPS ROUNDS  keeps ROUNDS rounds of a HOPS-hop route in ROWS tracers, on a
//                                        scripted route and clock (no waiting): memory per row
//   bench_route discover TARGET HOPS     the time until the route to TARGET shows all HOPS hops
// Prints figures; asserts nothing. Run the network ones only inside the route lab.
#include <malloc.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/route/route_trace.h"
#include "core/route/route_tracer.h"
#include "core/route/scripted_route.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

// Bytes the heap has handed out and not taken back: what the tracers hold,
// whatever the allocator keeps mapped besides.
std::size_t HeapInUse() { return mallinfo2().uordblks; }

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

int Rows(int seconds, const std::vector<std::string>& targets) {
  std::vector<std::unique_ptr<qnc::RouteTrace>> rows;
  const long before = ResidentKiB();
  for (const std::string& target : targets) {
    qnc::RouteRequest request;
    request.target = target;
    request.reverseNames = false;
    rows.push_back(std::make_unique<qnc::RouteTrace>(request));
  }
  // The first rounds discover the routes; measure the steady state after them.
  std::this_thread::sleep_for(3s);
  const double cpuStart = CpuSeconds();
  const auto start = Clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  const double cpu = CpuSeconds() - cpuStart;
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  std::size_t hops = 0;
  std::uint32_t rounds = 0;
  for (const auto& row : rows) {
    const qnc::RouteSnapshot snapshot = row->Snapshot();
    hops += snapshot.hops.size();
    rounds += snapshot.rounds;
  }
  std::printf("rows traced at once: %zu (%zu hops in all), %u rounds, over %.1f s at one round a second\n", rows.size(),
              hops, rounds, wall);
  std::printf("CPU: %.3f s = %.3f %% of one core\n", cpu, 100.0 * cpu / wall);
  std::printf("resident memory: %ld KiB (%ld KiB before the rows started)\n", ResidentKiB(), before);
  return 0;
}

int Memory(int rows, int hops, int rounds) {
  const long before = ResidentKiB();
  const std::size_t heapBefore = HeapInUse();
  std::vector<std::unique_ptr<qnc::ScriptedRoute>> routes;
  std::vector<std::unique_ptr<qnc::RouteTracer>> tracers;
  const auto start = Clock::now();
  for (int r = 0; r < rows; ++r) {
    std::vector<qnc::ScriptedHop> script;
    for (int h = 1; h <= hops; ++h) {
      script.push_back({{qnc::Address(("10." + std::to_string(r) + "." + std::to_string(h) + ".1").c_str())},
                        500 + 1000 * h,
                        [](std::uint32_t n) { return n % 50 != 7; }});
    }
    routes.push_back(std::make_unique<qnc::ScriptedRoute>(script));
    qnc::TraceOptions options;
    options.rounds = static_cast<std::uint32_t>(rounds);
    tracers.push_back(std::make_unique<qnc::RouteTracer>(*routes.back(), options, routes.back()->Clock()));
    tracers.back()->Run({});
  }
  const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  const long after = ResidentKiB();
  // The scripted routes keep every probe they were sent; that record is the
  // bench's, not the tracer's.
  std::size_t scriptBytes = 0;
  for (const auto& route : routes) scriptBytes += route->sent.capacity() * sizeof(qnc::SentProbe);
  for (auto& route : routes) std::vector<qnc::SentProbe>().swap(route->sent);
  const long trimmed = ResidentKiB();
  const std::size_t heapHeld = HeapInUse() - heapBefore;
  qnc::RouteSnapshot snapshot;
  const auto snapshotStart = Clock::now();
  tracers.front()->Fill(snapshot);
  const double snapshotMs = std::chrono::duration<double, std::milli>(Clock::now() - snapshotStart).count();
  std::printf("%d rows x %d hops x %d rounds (simulated in %.2f s)\n", rows, hops, rounds, elapsed);
  std::printf(
      "resident memory: %ld KiB before, %ld KiB after (%zu KiB of it the scripted routes' send log), "
      "%ld KiB with that log freed\n",
      before, after, scriptBytes / 1024, trimmed);
  std::printf("heap held by the tracers: %zu KiB; memory per traced row: %.0f KiB\n", heapHeld / 1024,
              static_cast<double>(heapHeld) / 1024 / rows);
  std::printf("one snapshot of a row (%zu hops, %zu recent samples each): %.2f ms\n", snapshot.hops.size(),
              snapshot.hops.empty() ? 0 : snapshot.hops.front().figures.recentUs.size(), snapshotMs);
  return 0;
}

int Discover(const std::string& target, std::size_t hops) {
  qnc::RouteRequest request;
  request.target = target;
  request.reverseNames = false;
  const auto start = Clock::now();
  qnc::RouteTrace trace(request);
  for (;;) {
    const qnc::RouteSnapshot snapshot = trace.Snapshot();
    std::size_t answered = 0;
    for (const qnc::HopSnapshot& hop : snapshot.hops) answered += hop.responders.empty() ? 0 : 1;
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (snapshot.destinationTtl && answered >= hops) {
      std::printf("route to %s: all %zu hops known after %.3f s (round %u), default pace\n", target.c_str(), hops,
                  seconds, snapshot.rounds);
      return 0;
    }
    if (seconds > 30 || !snapshot.error.empty()) {
      std::printf("route to %s: %zu of %zu hops after %.1f s %s\n", target.c_str(), answered, hops, seconds,
                  snapshot.error.c_str());
      return 1;
    }
    std::this_thread::sleep_for(1ms);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() >= 3 && args[0] == "rows") {
    return Rows(std::atoi(args[1].c_str()), std::vector<std::string>(args.begin() + 2, args.end()));
  }
  if (args.size() == 4 && args[0] == "memory") {
    return Memory(std::atoi(args[1].c_str()), std::atoi(args[2].c_str()), std::atoi(args[3].c_str()));
  }
  if (args.size() == 3 && args[0] == "discover") {
    return Discover(args[1], static_cast<std::size_t>(std::atoi(args[2].c_str())));
  }
  std::fprintf(stderr, "usage: bench_route rows SECONDS TARGET... | memory ROWS HOPS ROUNDS | discover TARGET HOPS\n");
  return 2;
}
