#include "core/lantest/log_lines.h"

#include <cstdio>
#include <ctime>
#include <mutex>

namespace qnc {

namespace {

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char buffer[160];
  const int length = std::snprintf(buffer, sizeof buffer, format, args...);
  if (length < 0) return {};
  if (static_cast<std::size_t>(length) < sizeof buffer) return std::string(buffer, static_cast<std::size_t>(length));
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::snprintf(text.data(), text.size(), format, args...);
  text.pop_back();
  return text;
}

class SystemClock final : public LocalClock {
 public:
  TimeOfDay Now() const override {
    const std::time_t now = std::time(nullptr);
    // std::localtime hands out one shared buffer; the report lines of both
    // sides may ask at the same moment.
    static std::mutex bufferMutex;
    std::lock_guard lock(bufferMutex);
    const std::tm* local = std::localtime(&now);
    if (local == nullptr) return {};
    return TimeOfDay{local->tm_hour, local->tm_min, local->tm_sec};
  }
};

}  // namespace

const LocalClock& SystemLocalClock() {
  static const SystemClock clock;
  return clock;
}

std::string FormatRate(std::int64_t bytes) {
  if (bytes > 1048576) return Format("%4.2fM ", static_cast<double>(bytes) / 1048576.0);
  if (bytes > 1024) return Format("%4.2fK ", static_cast<double>(bytes) / 1024.0);
  return Format("%lldB", static_cast<long long>(bytes));
}

std::string FormatTimeStamp(const TimeOfDay& time) {
  return Format("%2d:%2d:%2d", time.hour, time.minute, time.second);
}

std::string ServerReportLine(const TimeOfDay& time, const MeterDeltas& deltas) {
  return FormatTimeStamp(time) + " 当前速率 发：" + FormatRate(deltas.sent) + "   收：" + FormatRate(deltas.received) +
         "\r\n";
}

std::string ClientReportLine(const TimeOfDay& time, const MeterDeltas& deltas) {
  return FormatTimeStamp(time) + " 当前速率:  收：" + FormatRate(deltas.received) + "  发：" + FormatRate(deltas.sent) +
         "\r\n";
}

std::string ServerStartLine(int port) { return Format("TCP 服务器启动,客户端连接端口:%d........\r\n", port); }

std::string ConnectionLine(std::string_view clientAddress, std::string_view serverHostName) {
  return "连接IP " + std::string(clientAddress) + " 主机名： " + std::string(serverHostName) + "!\r\n";
}

std::string ConnectionRefusedLine(std::string_view clientAddress, int limit) {
  return "连接IP " + std::string(clientAddress) + " 已断开: 同时测试的连接已达上限 " + std::to_string(limit) + "\r\n";
}

std::string SourceRefusedLine(std::string_view clientAddress, int limit) {
  return "连接IP " + std::string(clientAddress) + " 已断开: 来自该地址的连接已达上限 " + std::to_string(limit) + "\r\n";
}

std::string DisplacedLine(std::string_view closedAddress, std::string_view newcomerAddress) {
  return "连接IP " + std::string(closedAddress) + " 已断开: 几乎没有数据传输，位置让给 " +
         std::string(newcomerAddress) + "\r\n";
}

std::string ConnectionEndedLine(ConnectionEnd why, int error) {
  switch (why) {
    case ConnectionEnd::kClosedByServer:
      return "连接已断开: 服务器关闭了连接\r\n";
    case ConnectionEnd::kTimedOut:
      return "连接已断开: 服务器超过1秒没有发送数据\r\n";
    case ConnectionEnd::kFailed:
      break;
  }
  return "连接已断开: 错误 " + std::to_string(error) + "\r\n";
}

std::string ConnectingLine(int port) { return Format("准备连接服务器:%d......\r\n", port); }

std::string RetryLine(int port) { return Format("重试连接服务器:%d......\r\n", port); }

}  // namespace qnc
