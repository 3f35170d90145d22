#pragma once
// Helpers shared by the LAN test suites: fake clocks, bounded waits, log
// line parsing and one side of a test (state, log, console, controller).
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/lantest/lan_log.h"
#include "core/lantest/lan_log_store.h"
#include "core/lantest/lan_test_controller.h"
#include "core/lantest/lan_test_state.h"
#include "core/lantest/log_lines.h"
#include "platform/tcp_socket.h"
#include "platform/ticks.h"

namespace qnc::testing {

class FakeTicks final : public TickSource {
 public:
  explicit FakeTicks(std::uint32_t start = 0) : now_(start) {}
  std::uint32_t Now() const override { return now_.load(); }
  void Set(std::uint32_t now) { now_.store(now); }

 private:
  std::atomic<std::uint32_t> now_;
};

class FixedClock final : public LocalClock {
 public:
  explicit FixedClock(TimeOfDay time) : time_(time) {}
  TimeOfDay Now() const override { return time_; }

 private:
  TimeOfDay time_;
};

// Polls the condition every 20 ms for at most `limit`; true once it holds.
inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds limit = std::chrono::milliseconds(8000)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

// The lines of a log text, each without its "\r\n".
inline std::vector<std::string> LogLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      if (start < text.size()) lines.push_back(text.substr(start));
      return lines;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
}

inline int CountMatching(const std::vector<std::string>& lines, const std::regex& pattern) {
  int count = 0;
  for (const auto& line : lines) count += std::regex_match(line, pattern) ? 1 : 0;
  return count;
}

// A rate text: "123B", "1.50K " or "2.25M ".
inline const std::string kRatePattern = R"((-?\d+B|\d+\.\d\dK |\d+\.\d\dM ))";
inline const std::string kStampPattern = R"([ \d]\d:[ \d]\d:[ \d]\d)";
inline const std::regex kServerReport("^" + kStampPattern + " 当前速率 发：" + kRatePattern + "   收：" + kRatePattern +
                                      "$");
inline const std::regex kClientReport("^" + kStampPattern + " 当前速率:  收：" + kRatePattern + "  发：" +
                                      kRatePattern + "$");

// The byte count a rate text stands for (to the two decimals it shows).
inline double RateBytes(const std::string& rate) {
  const double value = std::stod(rate);
  if (rate.find('M') != std::string::npos) return value * 1048576.0;
  if (rate.find('K') != std::string::npos) return value * 1024.0;
  return value;
}

struct ReportFigures {
  double sent = 0;
  double received = 0;
};

// Figures of every report line of one side, newest first.
inline std::vector<ReportFigures> ReportLines(const std::string& text, bool server) {
  std::vector<ReportFigures> figures;
  for (const auto& line : LogLines(text)) {
    std::smatch match;
    if (server && std::regex_match(line, match, kServerReport)) {
      figures.push_back({RateBytes(match[1]), RateBytes(match[2])});
    } else if (!server && std::regex_match(line, match, kClientReport)) {
      figures.push_back({RateBytes(match[2]), RateBytes(match[1])});
    }
  }
  return figures;
}

// A TCP port on 127.0.0.1 that was free a moment ago (bound, then released).
inline std::uint16_t FreeLoopbackPort() {
  auto socket = TcpSocket::Open();
  if (!socket || !socket->Bind(ParseDottedQuad("127.0.0.1").value(), 0)) return 0;
  return socket->LocalPort();
}

inline Ipv4NetOrder Loopback() { return ParseDottedQuad("127.0.0.1").value(); }

// One side of a test: its own state, log, captured standard output and controller.
struct LanSide {
  explicit LanSide(int maxConnections = kMaxServedConnections, const TickSource& ticks = SystemTicks())
      : controller(state, log, console, ticks, SystemLocalClock(), maxConnections) {}

  // The captured standard output; read it once the threads that write it have ended.
  std::string ConsoleText() const { return consoleStream.str(); }
  std::vector<std::string> Lines() const { return LogLines(log.Text()); }

  // Starts a listener on an ephemeral port and waits until it accepts.
  std::uint16_t Listen() {
    controller.StartListener(0);
    if (!WaitUntil([this] { return log.Text().find("TCP 服务器启动") != std::string::npos; })) return 0;
    return controller.ListeningPort();
  }

  LanTestState state;
  LanLogStore log;
  std::ostringstream consoleStream;
  ConsoleLines console{consoleStream};
  LanTestController controller;
};

}  // namespace qnc::testing
