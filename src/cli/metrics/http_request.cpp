#include "cli/metrics/http_request.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <optional>

namespace qnc {

namespace {

bool IsTokenChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 ||
         std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool IsToken(std::string_view text) { return !text.empty() && std::all_of(text.begin(), text.end(), IsTokenChar); }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Whether a comma-separated header value lists the token (any case).
bool ListsToken(std::string_view value, std::string_view token) {
  while (!value.empty()) {
    const std::size_t comma = value.find(',');
    if (EqualsIgnoringCase(Trim(value.substr(0, comma)), token)) return true;
    if (comma == std::string_view::npos) break;
    value.remove_prefix(comma + 1);
  }
  return false;
}

// The next line of `rest` (without its end), or nothing when no line end has come yet.
bool NextLine(std::string_view& rest, std::string_view& line) {
  const std::size_t end = rest.find('\n');
  if (end == std::string_view::npos) return false;
  line = rest.substr(0, end);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  rest.remove_prefix(end + 1);
  return true;
}

// The path of a request target: origin form "/p?q", absolute form
// "http://host:port/p?q" (an empty path is "/"), or "*".
bool TargetPath(std::string_view target, std::string& path) {
  if (target == "*") {
    path = "*";
    return true;
  }
  const std::size_t scheme = target.find("://");
  if (scheme != std::string_view::npos && target.front() != '/') {
    const std::string_view name = target.substr(0, scheme);
    if (!EqualsIgnoringCase(name, "http") && !EqualsIgnoringCase(name, "https")) return false;
    target.remove_prefix(scheme + 3);
    const std::size_t slash = target.find_first_of("/?");
    if (slash == 0 || std::string_view(target.substr(0, slash)).find('@') != std::string_view::npos) return false;
    target = slash == std::string_view::npos ? std::string_view("/") : target.substr(slash);
    if (target.front() == '?') target = "/";
  }
  if (target.empty() || target.front() != '/') return false;
  path = std::string(target.substr(0, target.find('?')));
  return std::none_of(path.begin(), path.end(),
                      [](char c) { return static_cast<unsigned char>(c) <= ' ' || c == 0x7F; });
}

HeadReading Bad(int status) {
  HeadReading reading;
  reading.outcome = HeadReading::Outcome::kBad;
  reading.status = status;
  return reading;
}

}  // namespace

HeadReading ReadRequestHead(std::string_view input, std::size_t limit) {
  std::string_view rest = input.substr(0, limit);
  std::string_view line;
  // Empty lines before the request line (after a body-less request, some clients send one).
  do {
    if (!NextLine(rest, line)) return input.size() >= limit ? Bad(414) : HeadReading{};
  } while (line.empty());

  const std::size_t firstSpace = line.find(' ');
  const std::size_t lastSpace = line.rfind(' ');
  if (firstSpace == std::string_view::npos || firstSpace == lastSpace) return Bad(400);
  HeadReading reading;
  HttpRequest& request = reading.request;
  request.method = std::string(line.substr(0, firstSpace));
  const std::string_view target = line.substr(firstSpace + 1, lastSpace - firstSpace - 1);
  const std::string_view version = line.substr(lastSpace + 1);
  if (!IsToken(request.method) || !TargetPath(target, request.path)) return Bad(400);
  if (request.path == "*" && request.method != "OPTIONS") return Bad(400);
  if (version.size() != 8 || version.substr(0, 5) != "HTTP/" || !std::isdigit(static_cast<unsigned char>(version[5])) ||
      version[6] != '.' || !std::isdigit(static_cast<unsigned char>(version[7]))) {
    return Bad(400);
  }
  if (version != "HTTP/1.1" && version != "HTTP/1.0") return Bad(505);
  const bool http11 = version == "HTTP/1.1";

  bool close = false;
  bool keepAlive = false;
  std::optional<std::uint64_t> contentLength;
  for (;;) {
    if (!NextLine(rest, line)) return input.size() >= limit ? Bad(431) : HeadReading{};
    if (line.empty()) break;
    const std::size_t colon = line.find(':');
    // A folded line (starting with a blank) or a name that is no token is refused.
    if (colon == std::string_view::npos || !IsToken(line.substr(0, colon))) return Bad(400);
    const std::string_view name = line.substr(0, colon);
    const std::string_view value = Trim(line.substr(colon + 1));
    if (EqualsIgnoringCase(name, "Connection")) {
      close = close || ListsToken(value, "close");
      keepAlive = keepAlive || ListsToken(value, "keep-alive");
    } else if (EqualsIgnoringCase(name, "Content-Length")) {
      std::uint64_t length = 0;
      const auto parsed = std::from_chars(value.data(), value.data() + value.size(), length);
      if (value.empty() || parsed.ec != std::errc() || parsed.ptr != value.data() + value.size()) return Bad(400);
      if (contentLength && *contentLength != length) return Bad(400);
      contentLength = length;
    } else if (EqualsIgnoringCase(name, "Transfer-Encoding")) {
      request.hasBody = true;
    }
  }
  request.hasBody = request.hasBody || contentLength.value_or(0) > 0;
  request.keepAlive = !close && (http11 || keepAlive);
  reading.outcome = HeadReading::Outcome::kComplete;
  reading.length = static_cast<std::size_t>(rest.data() - input.data());
  return reading;
}

std::string StatusLine(int status) {
  const char* reason = "Error";
  switch (status) {
    case 200:
      reason = "OK";
      break;
    case 204:
      reason = "No Content";
      break;
    case 400:
      reason = "Bad Request";
      break;
    case 404:
      reason = "Not Found";
      break;
    case 405:
      reason = "Method Not Allowed";
      break;
    case 408:
      reason = "Request Timeout";
      break;
    case 414:
      reason = "URI Too Long";
      break;
    case 431:
      reason = "Request Header Fields Too Large";
      break;
    case 503:
      reason = "Service Unavailable";
      break;
    case 505:
      reason = "HTTP Version Not Supported";
      break;
    default:
      break;
  }
  return "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n";
}

}  // namespace qnc
