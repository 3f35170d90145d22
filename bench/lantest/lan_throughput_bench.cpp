// Loopback throughput of the LAN test: a server and a client side in one
// process (each with its own state, as on two machines), for each mode and
// connection count. Prints one RESULT line per run with the bytes the client
// moved each way during the measured seconds and the CPU seconds that the
// whole process (both sides) used meanwhile.
//
//   bench_lan_throughput [--seconds S] [--warmup S] [--connections 1,4,8] [--modes both,download,upload]
//                        [--listen-port N --connect-port M]
// With the two ports the server listens on N and the clients connect to M,
// where a relay (bench_delay_relay) carries their bytes on to N.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/lantest/lan_log.h"
#include "core/lantest/lan_log_store.h"
#include "core/lantest/lan_test_controller.h"
#include "core/lantest/lan_test_state.h"

namespace {

using namespace qnc;

struct Side {
  LanTestState state;
  LanLogStore log;
  std::ostringstream consoleText;
  ConsoleLines console{consoleText};
  LanTestController controller{state, log, console};
};

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, ',');) parts.push_back(part);
  return parts;
}

double CpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

int ModeOf(const std::string& name) { return name == "download" ? 1 : name == "upload" ? 2 : 0; }

bool WaitFor(const std::function<bool()>& condition) {
  for (int i = 0; i < 250; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 5;
  double warmup = 1;
  std::vector<std::string> connections{"1", "4", "8"};
  std::vector<std::string> modes{"both", "download", "upload"};
  int listenPort = 0;
  int connectPort = 0;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    const std::string value = argv[i + 1];
    if (option == "--seconds") seconds = std::stod(value);
    if (option == "--warmup") warmup = std::stod(value);
    if (option == "--connections") connections = Split(value);
    if (option == "--modes") modes = Split(value);
    if (option == "--listen-port") listenPort = std::stoi(value);
    if (option == "--connect-port") connectPort = std::stoi(value);
  }

  for (const auto& mode : modes) {
    for (const auto& count : connections) {
      Side server;
      Side client;
      server.controller.StartListener(listenPort);
      if (!WaitFor([&] { return !server.log.Text().empty(); })) {
        std::fprintf(stderr, "listener did not start: %s\n", server.consoleText.str().c_str());
        return 1;
      }
      client.controller.StartClients(
          ModeOf(mode), std::stoi(count),
          LanClientSettings{"127.0.0.1", connectPort != 0 ? connectPort : server.controller.ListeningPort()});
      std::this_thread::sleep_for(std::chrono::duration<double>(warmup));

      const MeterReading before = client.state.clientMeter.Read();
      const double cpuBefore = CpuSeconds();
      const auto wallBefore = std::chrono::steady_clock::now();
      std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
      const MeterReading after = client.state.clientMeter.Read();
      const double cpu = CpuSeconds() - cpuBefore;
      const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();

      client.controller.Shutdown();
      server.controller.Shutdown();
      std::printf("RESULT mode=%s connections=%s seconds=%.3f up_bytes=%lld down_bytes=%lld cpu_seconds=%.3f\n",
                  mode.c_str(), count.c_str(), wall, static_cast<long long>(after.sentTotal - before.sentTotal),
                  static_cast<long long>(after.receivedTotal - before.receivedTotal), cpu);
      std::fflush(stdout);
    }
  }
  return 0;
}
