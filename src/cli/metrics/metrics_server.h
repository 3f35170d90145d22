#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "cli/metrics/metrics_routes.h"
#include "platform/tcp_socket.h"

namespace qnc {

// How the metrics server treats its clients. Every connection waits in one
// poll loop, so an idle or slow client costs a socket and a few bytes, never a
// thread; every phase has its deadline; and when all places are taken a
// newcomer takes the place of the connection that has waited longest for its
// next request, so a scraper is served whatever else holds connections open.
inline constexpr std::size_t kMaxMetricsConnections = 128;
inline constexpr std::size_t kMaxRequestHead = 16384;          // request line and headers
inline constexpr std::uint32_t kRequestHeadTimeoutMs = 10000;  // a new connection's first request, a request once begun
inline constexpr std::uint32_t kKeepAliveIdleMs = 60000;       // between the requests of one connection
inline constexpr std::uint32_t kSendStallMs = 10000;           // an answer that moves no byte for this long
inline constexpr std::uint32_t kLingerMs = 2000;               // reading what is left after a last answer

// The HTTP/1.1 side of the metrics: a server of its own on one thread that
// answers GET and HEAD of /metrics (the text that writeMetrics appends), / and
// /-/healthy (see AnswerRequest), with keep-alive and pipelining.
class MetricsServer {
 public:
  using TextWriter = MetricsTextWriter;

  // Listens on "ADDR:PORT" (dotted IPv4 address; port 0 takes one the system
  // picks). Null, with the reason in whyNot, when the address cannot be
  // listened on. writeMetrics is called on the server's thread.
  static std::unique_ptr<MetricsServer> Listen(const std::string& address, TextWriter writeMetrics,
                                               std::string& whyNot);
  MetricsServer(const MetricsServer&) = delete;
  MetricsServer& operator=(const MetricsServer&) = delete;
  // Stops the server (within about 100 ms) and closes every connection.
  ~MetricsServer();

  // The port listened on.
  int Port() const { return port_; }

 private:
  MetricsServer(TcpSocket listener, TextWriter writeMetrics);

  int port_ = 0;
  std::jthread thread_;
};

}  // namespace qnc
