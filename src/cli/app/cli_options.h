#pragma once
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace qnc {

// What the probe front end was asked to do.
struct CliOptions {
  std::vector<std::string> dns, ping, game;  // rows given on the command line
  std::optional<std::string> dnsServer;
  std::uint16_t dnsPort = 53;
  std::optional<std::string> configPath;
  std::optional<std::uint64_t> passes;      // end after this many passes of every worker
  std::optional<std::uint32_t> intervalMs;  // the pause after each pass
  int parallel = 1;                         // rows of a table probed at once
  std::optional<std::string> csvPath;       // every sample appended here
  bool stats = false;                       // each row's statistics in the output
  bool json = false;
  bool help = false;
  // Serve Prometheus metrics on this "ADDR:PORT" instead of printing tables.
  std::optional<std::string> metricsListen;

  bool HasHostOptions() const { return !dns.empty() || !ping.empty() || !game.empty(); }
};

// A text that says what is wrong with the options. Every front end command
// prints it and exits with kExitBadOptions.
struct CliError {
  std::string message;
};

// Exit statuses of quorix-probe: bad options, and a run that could not do
// what it was asked (nothing to listen on, nothing measured).
inline constexpr int kExitBadOptions = 2;
inline constexpr int kExitFailed = 1;

// Bounds of --interval and --parallel.
inline constexpr std::uint32_t kMinIntervalMs = 100;
inline constexpr std::uint32_t kMaxIntervalMs = 86'400'000;  // a day
inline constexpr int kMaxParallel = 64;

// The whole text as a decimal number from low to high; nothing for anything
// else (signs, blanks, trailing characters, values out of range).
template <typename Number>
std::optional<Number> ParseNumber(std::string_view text, Number low, Number high) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) return std::nullopt;
  return value;
}

// Parses the arguments after the program name.
std::variant<CliOptions, CliError> ParseCliOptions(const std::vector<std::string>& args);

// The --help text, naming only what this build does.
std::string CliUsage();

}  // namespace qnc
