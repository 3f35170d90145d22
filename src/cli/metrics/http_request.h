#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace qnc {

// What the metrics server needs of an HTTP/1.x request head.
struct HttpRequest {
  std::string method;
  std::string path;        // without the query; "*" for OPTIONS *
  bool keepAlive = false;  // HTTP/1.1 unless "Connection: close"; HTTP/1.0 only with "keep-alive"
  bool hasBody = false;    // a Content-Length above 0 or a Transfer-Encoding: the connection ends after the answer
};

// The outcome of reading the start of a connection's input as a request head.
struct HeadReading {
  enum class Outcome {
    kIncomplete,  // no blank line yet, and still within the limit
    kComplete,    // `request` holds the head of `length` bytes
    kBad,         // answer `status` and close
  };
  Outcome outcome = Outcome::kIncomplete;
  std::size_t length = 0;
  HttpRequest request;
  int status = 0;
};

// Reads the head at the start of `input`: request line, header lines and the
// blank line that ends them (line ends CRLF or LF; empty lines before the
// request line are skipped). The target may be a path, an absolute URI (its
// path is used) or "*" (OPTIONS only). A head longer than `limit` is a 431
// (a 414 while the request line is still open), anything malformed a 400, a
// version other than HTTP/1.0 or 1.1 a 505.
HeadReading ReadRequestHead(std::string_view input, std::size_t limit);

// "HTTP/1.1 <status> <reason>\r\n"
std::string StatusLine(int status);

}  // namespace qnc
