#pragma once
#include <functional>
#include <string>

#include "cli/metrics/http_request.h"

namespace qnc {

// Appends the Prometheus text of the metrics to `out`.
using MetricsTextWriter = std::function<void(std::string& out)>;

// The whole answer (head and body) to a request: /metrics the text that
// writeMetrics appends, / a short page linking to /metrics, /-/healthy a line
// for liveness checks, every other path 404; GET and HEAD are served, OPTIONS
// (also OPTIONS *) says which methods are, any other method is 405. `close`
// adds "Connection: close".
std::string AnswerRequest(const HttpRequest& request, const MetricsTextWriter& writeMetrics, bool close);

// The answer to a request that cannot be served (a 4xx or 5xx status); the
// connection closes after it.
std::string AnswerRefusal(int status);

}  // namespace qnc
