#include "metrics/metrics_server.h"

#include <CivetServer.h>
#include <civetweb.h>

#include <exception>
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

// Every request passes here first. /metrics goes on to the exposer's handler
// (return 0); the other pages are answered here (return the status).
int Route(mg_connection* connection) {
  const mg_request_info* request = mg_get_request_info(connection);
  const std::string_view path = request->local_uri != nullptr ? request->local_uri : "";
  if (path == "/metrics") return 0;
  for (const Page& page : kPages) {
    if (path != page.path) continue;
    const std::string_view method = request->request_method != nullptr ? request->request_method : "";
    if (method != "GET" && method != "HEAD") {
      mg_send_http_error(connection, 405, "%s", "Only GET and HEAD are served here.\n");
      return 405;
    }
    mg_send_http_ok(connection, page.type, static_cast<long long>(page.body.size()));
    if (method == "GET") mg_write(connection, page.body.data(), page.body.size());
    return 200;
  }
  mg_send_http_error(connection, 404, "%s", "Not found. This server serves /metrics, / and /-/healthy.\n");
  return 404;
}

}  // namespace

std::unique_ptr<MetricsServer> MetricsServer::Listen(const std::string& address,
                                                     const std::shared_ptr<prometheus::Collectable>& metrics,
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
  server->exposer_->RegisterCollectable(metrics);
  return server;
}

MetricsServer::~MetricsServer() = default;

int MetricsServer::Port() const {
  const std::vector<int> ports = exposer_->GetListeningPorts();
  return ports.empty() ? 0 : ports.front();
}

}  // namespace qnc
