#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "core/lantest/throughput_meter.h"

namespace qnc {

// Hour, minute and second of the local wall-clock time, which stamps the
// report lines.
struct TimeOfDay {
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Source of the local time of day; tests substitute a fixed one.
class LocalClock {
 public:
  virtual ~LocalClock() = default;
  virtual TimeOfDay Now() const = 0;
};

// The system's local time.
const LocalClock& SystemLocalClock();

// The texts that the LAN test writes into its log, each with its "\r\n".

// A byte count as "NB", "N.NNK " or "N.NNM " (K = 1024, M = 1048576).
std::string FormatRate(std::int64_t bytes);

// "%2d:%2d:%2d": each number right-aligned in two places, padded with a blank.
std::string FormatTimeStamp(const TimeOfDay& time);

// The once-a-second lines; the server names its sent bytes first, the client
// its received bytes.
std::string ServerReportLine(const TimeOfDay& time, const MeterDeltas& deltas);
std::string ClientReportLine(const TimeOfDay& time, const MeterDeltas& deltas);

// The listener's start line, which replaces the whole log.
std::string ServerStartLine(int port);
// Added at the end of the log for each accepted client.
std::string ConnectionLine(std::string_view clientAddress, std::string_view serverHostName);
// Added at the end of the log for a client turned away because the server
// already serves as many connections as it takes, in all or from its address.
std::string ConnectionRefusedLine(std::string_view clientAddress, int limit);
std::string SourceRefusedLine(std::string_view clientAddress, int limit);
// Added at the end of the log when a connection that moved almost nothing was
// closed to make room for a newcomer.
std::string DisplacedLine(std::string_view closedAddress, std::string_view newcomerAddress);

// The client thread's lines: before the first attempt, after each failed one,
// and the text that replaces the log once connected.
std::string ConnectingLine(int port);
std::string RetryLine(int port);
inline constexpr std::string_view kConnectedText = "已连接服务器..........\r\n";
// Put in front when the server closed a new connection before sending
// anything: it serves no more connections (from this address).
inline constexpr std::string_view kRefusedText = "服务器拒绝连接（可能已达上限）\r\n";
// Put in front when a connection that had data ends by itself, with the reason.
enum class ConnectionEnd { kClosedByServer, kTimedOut, kFailed };
std::string ConnectionEndedLine(ConnectionEnd why, int error = 0);

}  // namespace qnc
