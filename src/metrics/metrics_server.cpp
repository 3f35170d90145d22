#include "metrics/metrics_server.h"

#include <CivetServer.h>
#include <civetweb.h>

#include <algorithm>
#include <exception>
#include <map>
#include <mutex>
#include <string_view>
#include <vector>

namespace qnc {

namespace {

constexpr std::string_view kFrontPage =
    "<!DOCTYPE html>\n"
    "<html><head><meta charset=\"utf-8\"><title>quorix-probe " QNC_VERSION
    "</title></head>\n"
    "<body><h1>quorix-probe " QNC_VERSION
    "</h1>\n"
    "<p>Latency, loss and outcome of the DNS, ping and game probes: <a href=\"/metrics\">/metrics</a></p>\n"
    "</body></html>\n";
constexpr std::string_view kHealthy = "quorix-probe is healthy.\n";

struct Page {
  std::string_view path;
  const char* type;
  std::string_view body;
};

constexpr Page kPages[] = {
    {"/", "text/html; charset=utf-8", kFrontPage},
    {"/-/healthy", "text/plain; charset=utf-8", kHealthy},
};

// civetweb logs the reasons a start fails on the starting thread; Listen
// points this at its string for the time of the start. Other threads' log
// lines (a client's bad request) are dropped.
thread_local std::string* startErrors = nullptr;

int KeepStartError(const mg_connection* /*connection*/, const char* message) {
  if (startErrors != nullptr && startErrors->empty()) *startErrors = message;
  return 1;  // civetweb writes nothing itself
}

// The metrics writer of each listening port. civetweb hands the routing
// callback only the connection, and the exposer keeps civetweb's user data
// for itself; the port the request came in on names the server.
class Writers {
 public:
  void Add(int port, MetricsServer::TextWriter writer) {
    std::lock_guard lock(mutex_);
    writers_[port] = std::move(writer);
  }
  void Remove(int port) {
    std::lock_guard lock(mutex_);
    writers_.erase(port);
  }
  MetricsServer::TextWriter Find(int port) const {
    std::lock_guard lock(mutex_);
    const auto found = writers_.find(port);
    return found != writers_.end() ? found->second : nullptr;
  }

 private:
  mutable std::mutex mutex_;
  std::map<int, MetricsServer::TextWriter> writers_;
};

Writers& ServedWriters() {
  static Writers writers;
  return writers;
}

constexpr const char* kMetricsType = "text/plain; version=0.0.4; charset=utf-8";

void Answer(mg_connection* connection, bool withBody, const char* type, std::string_view body) {
  mg_send_http_ok(connection, type, static_cast<long long>(body.size()));
  if (withBody) mg_write(connection, body.data(), body.size());
}

// Every request passes here and is answered here (the status is returned).
int Route(mg_connection* connection) {
  const mg_request_info* request = mg_get_request_info(connection);
  const std::string_view path = request->local_uri != nullptr ? request->local_uri : "";
  const std::string_view method = request->request_method != nullptr ? request->request_method : "";
  const auto* page =
      std::find_if(std::begin(kPages), std::end(kPages), [path](const Page& p) { return p.path == path; });
  const bool metrics = path == "/metrics";
  if (!metrics && page == std::end(kPages)) {
    mg_send_http_error(connection, 404, "%s", "Not found. This server serves /metrics, / and /-/healthy.\n");
    return 404;
  }
  if (method != "GET" && method != "HEAD") {
    mg_send_http_error(connection, 405, "%s", "Only GET and HEAD are served here.\n");
    return 405;
  }
  if (!metrics) {
    Answer(connection, method == "GET", page->type, page->body);
    return 200;
  }
  const MetricsServer::TextWriter writer = ServedWriters().Find(request->server_port);
  if (!writer) {  // starting or stopping
    mg_send_http_error(connection, 503, "%s", "Not serving metrics at the moment.\n");
    return 503;
  }
  std::string text;
  writer(text);
  Answer(connection, method == "GET", kMetricsType, text);
  return 200;
}

}  // namespace

std::unique_ptr<MetricsServer> MetricsServer::Listen(const std::string& address, TextWriter writeMetrics,
                                                     std::string& whyNot) {
  std::unique_ptr<MetricsServer> server(new MetricsServer());
  server->callbacks_ = std::make_unique<CivetCallbacks>();
  server->callbacks_->begin_request = Route;
  server->callbacks_->log_message = KeepStartError;
  // Two threads are plenty for a scrape every few seconds; a client that sends
  // nothing for 10 s is closed; requests larger than 16 KiB are refused.
  const std::vector<std::string> options{"listening_ports",    address, "num_threads",      "2",
                                         "request_timeout_ms", "10000", "max_request_size", "16384"};
  std::string errors;
  startErrors = &errors;
  try {
    server->exposer_ = std::make_unique<prometheus::Exposer>(options, server->callbacks_.get());
  } catch (const std::exception& error) {
    whyNot = errors.empty() ? error.what() : errors;
  }
  startErrors = nullptr;
  if (!server->exposer_) return nullptr;
  const std::vector<int> ports = server->exposer_->GetListeningPorts();
  server->port_ = ports.empty() ? 0 : ports.front();
  ServedWriters().Add(server->port_, std::move(writeMetrics));
  return server;
}

// Requests still in flight until the exposer has stopped get a 503.
MetricsServer::~MetricsServer() {
  if (exposer_) ServedWriters().Remove(port_);
}

int MetricsServer::Port() const { return port_; }

}  // namespace qnc
