#include "cli/metrics/metrics_routes.h"

#include <algorithm>
#include <iterator>
#include <string_view>

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
constexpr std::string_view kMetricsType = "text/plain; version=0.0.4; charset=utf-8";
constexpr std::string_view kTextType = "text/plain; charset=utf-8";
constexpr std::string_view kAllowed = "GET, HEAD, OPTIONS";

struct Page {
  std::string_view path;
  std::string_view type;
  std::string_view body;
};

constexpr Page kPages[] = {
    {"/", "text/html; charset=utf-8", kFrontPage},
    {"/-/healthy", kTextType, kHealthy},
};

std::string Head(int status, std::string_view type, std::size_t length, bool close, std::string_view extra = {}) {
  std::string head = StatusLine(status);
  if (!type.empty()) head.append("Content-Type: ").append(type).append("\r\n");
  head.append("Content-Length: ").append(std::to_string(length)).append("\r\n");
  head.append(extra);
  head.append(close ? "Connection: close\r\n\r\n" : "Connection: keep-alive\r\n\r\n");
  return head;
}

std::string Whole(int status, std::string_view type, std::string_view body, bool close, bool withBody,
                  std::string_view extra = {}) {
  std::string answer = Head(status, type, body.size(), close, extra);
  if (withBody) answer.append(body);
  return answer;
}

}  // namespace

std::string AnswerRequest(const HttpRequest& request, const MetricsTextWriter& writeMetrics, bool close) {
  const bool head = request.method == "HEAD";
  const std::string allow = "Allow: " + std::string(kAllowed) + "\r\n";
  const auto* page =
      std::find_if(std::begin(kPages), std::end(kPages), [&request](const Page& p) { return p.path == request.path; });
  const bool metrics = request.path == "/metrics";
  if (request.method == "OPTIONS" && (request.path == "*" || metrics || page != std::end(kPages))) {
    return Head(204, {}, 0, close, allow);
  }
  if (!metrics && page == std::end(kPages)) {
    return Whole(404, kTextType, "Not found. This server serves /metrics, / and /-/healthy.\n", close, !head);
  }
  if (request.method != "GET" && !head) {
    return Whole(405, kTextType, "Only GET and HEAD are served here.\n", close, true, allow);
  }
  if (!metrics) return Whole(200, page->type, page->body, close, !head);
  std::string text;
  writeMetrics(text);
  return Whole(200, kMetricsType, text, close, !head);
}

std::string AnswerRefusal(int status) {
  std::string body = StatusLine(status).substr(9);  // "400 Bad Request\r\n"
  body.resize(body.size() - 2);
  body += '\n';
  return Whole(status, kTextType, body, true, true);
}

}  // namespace qnc
