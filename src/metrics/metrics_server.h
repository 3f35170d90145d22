#pragma once
#include <prometheus/collectable.h>
#include <prometheus/exposer.h>

#include <memory>
#include <string>

struct CivetCallbacks;

namespace qnc {

// The HTTP side of the metrics, on prometheus-cpp's exposer (its civetweb
// server, threads and options). Every request passes through one routing
// callback that civetweb offers (begin_request): /metrics answers the text
// that writeMetrics appends, / a short page linking to /metrics, /-/healthy a
// line for liveness checks, and every other path 404. The exposer's own
// /metrics handler is not used: it runs prometheus-cpp's text serializer,
// which takes several times the whole scrape budget for thousands of rows.
class MetricsServer {
 public:
  using TextWriter = std::function<void(std::string& out)>;

  // Listens on "ADDR:PORT" (dotted IPv4 address; port 0 takes one the system
  // picks). Null, with the reason in whyNot, when the address cannot be
  // listened on. writeMetrics is called on the server's threads.
  static std::unique_ptr<MetricsServer> Listen(const std::string& address, TextWriter writeMetrics,
                                               std::string& whyNot);
  MetricsServer(const MetricsServer&) = delete;
  MetricsServer& operator=(const MetricsServer&) = delete;
  ~MetricsServer();

  // The port listened on.
  int Port() const;

 private:
  MetricsServer() = default;

  int port_ = 0;
  std::unique_ptr<CivetCallbacks> callbacks_;  // outlives the exposer that calls them
  std::unique_ptr<prometheus::Exposer> exposer_;
};

}  // namespace qnc
