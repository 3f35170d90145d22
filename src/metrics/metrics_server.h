#pragma once
#include <prometheus/collectable.h>
#include <prometheus/exposer.h>

#include <memory>
#include <string>

struct CivetCallbacks;

namespace qnc {

// The HTTP side of the metrics: prometheus-cpp's exposer serving /metrics in
// the Prometheus text format, with three more paths answered before it:
// / (a short page linking to /metrics), /-/healthy (for liveness checks) and
// a 404 for every other path.
class MetricsServer {
 public:
  // Listens on "ADDR:PORT" (dotted IPv4 address; port 0 takes one the system
  // picks) and serves `metrics`. Null, with the reason in whyNot, when the
  // address cannot be listened on.
  static std::unique_ptr<MetricsServer> Listen(const std::string& address,
                                               const std::shared_ptr<prometheus::Collectable>& metrics,
                                               std::string& whyNot);
  MetricsServer(const MetricsServer&) = delete;
  MetricsServer& operator=(const MetricsServer&) = delete;
  ~MetricsServer();

  // The port listened on.
  int Port() const;

 private:
  MetricsServer() = default;

  std::unique_ptr<CivetCallbacks> callbacks_;  // outlives the exposer that calls them
  std::unique_ptr<prometheus::Exposer> exposer_;
};

}  // namespace qnc
