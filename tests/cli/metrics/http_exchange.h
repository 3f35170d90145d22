#pragma once
// A bare HTTP/1.0-style exchange on loopback for tests: send the bytes given,
// read until the server closes. Raw bytes, so tests can also send what no
// HTTP client would.
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "platform/ipv4.h"
#include "platform/tcp_socket.h"

namespace qnc::test {

struct HttpExchange {
  bool connected = false;
  bool closedByServer = false;  // the server ended the connection (orderly or reset) before the time-out
  std::string reply;            // everything received

  int Status() const {
    // "HTTP/1.1 200 OK"
    if (reply.rfind("HTTP/", 0) != 0) return 0;
    const auto space = reply.find(' ');
    return space == std::string::npos ? 0 : std::atoi(reply.c_str() + space + 1);
  }
  std::string Body() const {
    const auto end = reply.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : reply.substr(end + 4);
  }
};

inline HttpExchange Exchange(std::uint16_t port, std::string_view request,
                             std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
  HttpExchange exchange;
  auto socket = TcpSocket::Open();
  if (!socket || socket->Connect(*ParseDottedQuad("127.0.0.1"), port, 2000) != ConnectResult::kConnected) {
    return exchange;
  }
  exchange.connected = true;
  socket->SetSendTimeout(static_cast<int>(timeout.count()));
  socket->SetReceiveTimeout(static_cast<int>(timeout.count()));
  const auto start = std::chrono::steady_clock::now();
  // A server may close before it has read everything; what it answered still counts.
  socket->Send(std::span(reinterpret_cast<const std::uint8_t*>(request.data()), request.size()));
  std::uint8_t buffer[4096];
  for (;;) {
    const long got = socket->Receive(buffer);
    if (got > 0) {
      exchange.reply.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(got));
      continue;
    }
    exchange.closedByServer = std::chrono::steady_clock::now() - start < timeout;
    return exchange;
  }
}

inline HttpExchange HttpGet(std::uint16_t port, std::string_view path) {
  return Exchange(port, "GET " + std::string(path) + " HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n\r\n");
}

}  // namespace qnc::test
