#include "cli/metrics/http_request.h"

#include <gtest/gtest.h>

#include <string>

namespace qnc {
namespace {

using Outcome = HeadReading::Outcome;

TEST(HttpRequestHead, ReadsWhatTheServerNeedsOfEachForm) {
  struct Case {
    std::string head;
    std::string method;
    std::string path;
    bool keepAlive;
    bool hasBody;
  };
  const Case cases[] = {
      {"GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n", "GET", "/metrics", true, false},
      {"GET /metrics?name[]=a HTTP/1.1\r\n\r\n", "GET", "/metrics", true, false},
      {"GET /metrics HTTP/1.0\r\n\r\n", "GET", "/metrics", false, false},
      {"GET / HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n", "GET", "/", true, false},
      {"GET / HTTP/1.1\r\nconnection: upgrade, close\r\n\r\n", "GET", "/", false, false},
      {"GET / HTTP/1.1\nHost: x\n\n", "GET", "/", true, false},                         // bare line feeds
      {"\r\n\r\nHEAD /-/healthy HTTP/1.1\r\n\r\n", "HEAD", "/-/healthy", true, false},  // empty lines first
      {"GET http://host:9477/metrics?x HTTP/1.1\r\n\r\n", "GET", "/metrics", true, false},
      {"GET HTTP://host HTTP/1.1\r\n\r\n", "GET", "/", true, false},
      {"OPTIONS * HTTP/1.1\r\n\r\n", "OPTIONS", "*", true, false},
      {"GET / HTTP/1.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n\r\n", "GET", "/", true, false},
      {"POST / HTTP/1.1\r\nContent-Length: 5\r\n\r\n", "POST", "/", true, true},
      {"POST / HTTP/1.1\r\nContent-Length: 0\r\n\r\n", "POST", "/", true, false},
      {"POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", "POST", "/", true, true},
  };
  for (const Case& c : cases) {
    const std::string input = c.head + "GET /next HTTP/1.1\r\n";  // a pipelined request follows
    const HeadReading reading = ReadRequestHead(input, 16384);
    ASSERT_EQ(reading.outcome, Outcome::kComplete) << c.head;
    EXPECT_EQ(reading.length, c.head.size()) << c.head;
    EXPECT_EQ(reading.request.method, c.method) << c.head;
    EXPECT_EQ(reading.request.path, c.path) << c.head;
    EXPECT_EQ(reading.request.keepAlive, c.keepAlive) << c.head;
    EXPECT_EQ(reading.request.hasBody, c.hasBody) << c.head;
    // Every shorter start of it waits for more.
    for (std::size_t cut = 0; cut < c.head.size(); ++cut) {
      EXPECT_EQ(ReadRequestHead(c.head.substr(0, cut), 16384).outcome, Outcome::kIncomplete) << cut << " " << c.head;
    }
  }
}

TEST(HttpRequestHead, RefusesWhatIsMalformedOrTooLarge) {
  struct Case {
    std::string input;
    int status;
  };
  const Case cases[] = {
      {"GARBAGE\r\n\r\n", 400},
      {"GET /\r\n\r\n", 400},
      {"GET  / HTTP/1.1\r\n\r\n", 400},
      {"GET / HTTP/1.1 x\r\n\r\n", 400},
      {"G(T / HTTP/1.1\r\n\r\n", 400},
      {"GET metrics HTTP/1.1\r\n\r\n", 400},
      {"GET * HTTP/1.1\r\n\r\n", 400},
      {"GET ftp://host/ HTTP/1.1\r\n\r\n", 400},
      {"GET http://user@host/ HTTP/1.1\r\n\r\n", 400},
      {"GET /a\x01 HTTP/1.1\r\n\r\n", 400},
      {"GET / HTTP/1.1\r\nNo colon\r\n\r\n", 400},
      {"GET / HTTP/1.1\r\nA: b\r\n folded\r\n\r\n", 400},
      {"GET / HTTP/1.1\r\nContent-Length: -5\r\n\r\n", 400},
      {"GET / HTTP/1.1\r\nContent-Length: 5\r\nContent-Length: 6\r\n\r\n", 400},
      {"GET / HTTP/1.1\r\nContent-Length: 99999999999999999999999\r\n\r\n", 400},
      {"GET / HTTP/9.9\r\n\r\n", 505},
      {"GET / HTTP/2.0\r\n\r\n", 505},
      {"GET / HTTPS/1.1\r\n\r\n", 400},
      {"GET /" + std::string(200, 'a'), 414},
      {"GET / HTTP/1.1\r\n" + std::string(200, 'h') + ": v\r\n", 431},
  };
  for (const Case& c : cases) {
    const HeadReading reading = ReadRequestHead(c.input, 100);
    EXPECT_EQ(reading.outcome, Outcome::kBad) << c.input;
    EXPECT_EQ(reading.status, c.status) << c.input;
  }
}

}  // namespace
}  // namespace qnc
