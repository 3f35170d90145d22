// How close the shown latency is to the true round trip, for the three probes,
// beside a plain socket timing of the same target (and dig / ping where
// installed). Everything runs on 127.0.0.1; DNS delays come from a responder
// that waits before it answers.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/probe/dns_client.h"
#include "core/probe/dns_responder.h"
#include "core/probe/dns_worker.h"
#include "core/probe/game_worker.h"
#include "core/probe/ping_worker.h"
#include "core/probe/table_store.h"
#include "core/probe/worker_harness.h"
#include "platform/icmp_socket.h"
#include "platform/tcp_socket.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
constexpr int kProbes = 50;

struct Figures {
  double median = 0;
  double worst = 0;
};

Figures Summarise(std::vector<double> values) {
  if (values.empty()) return {-1, -1};
  std::sort(values.begin(), values.end());
  return {values[values.size() / 2], values.back()};
}

// Runs a worker over a one-row table for kProbes passes and collects the shown latency.
template <typename MakeWorker>
std::vector<double> ShownLatencies(qnc::TableKind kind, const std::string& target, MakeWorker makeWorker) {
  qnc::TableStore table(kind);
  table.InsertRow(0, target);
  std::vector<double> shown;
  qnc::test::PassWaiter waiter;
  auto onPass = waiter.Callback([&](std::uint64_t) {
    const std::string latency = table.CellAt(0, qnc::cell::kLatency);
    shown.push_back(latency == "超时" ? -1.0 : std::atof(latency.c_str()));
  });
  auto worker = makeWorker(table, onPass);
  {
    auto thread = qnc::test::StartWorker(*worker);
    waiter.WaitFor(kProbes, 120s);
  }
  shown.resize(std::min<std::size_t>(shown.size(), kProbes));
  return shown;
}

std::vector<double> PlainDnsTimings(std::uint16_t port, const std::string& name) {
  std::vector<double> timings;
  for (int i = 0; i < kProbes; ++i) {
    qnc::DnsQueryBlock block;
    qnc::DnsOpen("127.0.0.1", block, port);
    const auto start = Clock::now();
    qnc::Ipv4NetOrder address = 0;
    if (qnc::DnsQuery(block, address, name) == 1) {
      timings.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
  }
  return timings;
}

std::vector<double> DigTimings(std::uint16_t port, const std::string& name) {
  std::vector<double> timings;
  const std::string command = "dig @127.0.0.1 -p " + std::to_string(port) + " " + name +
                              " +tries=1 +time=2 2>/dev/null | sed -n 's/.*Query time: \\([0-9]*\\) msec.*/\\1/p'";
  for (int i = 0; i < kProbes; ++i) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) return {};
    char line[64] = {};
    if (std::fgets(line, sizeof line, pipe.get()) == nullptr) return timings;
    timings.push_back(std::atof(line));
  }
  return timings;
}

std::vector<double> PlainConnectTimings(std::uint16_t port) {
  std::vector<double> timings;
  for (int i = 0; i < kProbes; ++i) {
    auto socket = qnc::TcpSocket::Open();
    const auto start = Clock::now();
    if (socket->Connect(*qnc::ParseDottedQuad("127.0.0.1"), port) == qnc::ConnectResult::kConnected) {
      socket->Close();
      timings.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
  }
  return timings;
}

std::vector<double> PingCommandTimings() {
  std::vector<double> timings;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(
      popen("ping -n -c 50 -i 0.02 -W 1 127.0.0.1 2>/dev/null | sed -n 's/.*time=\\([0-9.]*\\) ms.*/\\1/p'", "r"),
      pclose);
  if (!pipe) return timings;
  char line[64];
  while (std::fgets(line, sizeof line, pipe.get()) != nullptr) timings.push_back(std::atof(line));
  return timings;
}

void PrintRow(const char* what, const char* reference, const Figures& shown, const Figures& plain) {
  std::printf("%-26s shown median %7.2f worst %7.2f | %-14s median %7.3f worst %7.3f | shown - reference %+6.2f ms\n",
              what, shown.median, shown.worst, reference, plain.median, plain.worst, shown.median - plain.median);
}

}  // namespace

int main() {
  std::printf("latency accuracy on 127.0.0.1, %d probes each (ms)\n", kProbes);

  qnc::test::DnsResponder responder(*qnc::ParseDottedQuad("127.0.0.1"));
  for (const int delay : {0, 20, 100}) {
    const std::string name = "d" + std::to_string(delay) + ".bench";
    responder.Script(name, {qnc::test::ScriptedAnswer::Kind::kAddress, qnc::test::Ipv4Data(10, 0, 0, 1),
                            std::chrono::milliseconds(delay)});
    const auto shown = ShownLatencies(qnc::TableKind::kDns, name, [&](qnc::TableStore& table, auto onPass) {
      static qnc::TextFieldStore server;
      static qnc::ResetRequest reset;
      qnc::DnsWorkerOptions options;
      options.initialServer = "127.0.0.1";
      options.serverPort = responder.Port();
      options.pauseMs = 0;
      options.onPassEnd = onPass;
      return std::make_unique<qnc::DnsWorker>(table, server, reset, options);
    });
    const std::string label = "DNS, responder +" + std::to_string(delay) + " ms";
    PrintRow(label.c_str(), "plain socket", Summarise(shown), Summarise(PlainDnsTimings(responder.Port(), name)));
    const auto dig = DigTimings(responder.Port(), name);
    if (!dig.empty()) PrintRow(label.c_str(), "dig", Summarise(shown), Summarise(dig));
  }

  if (qnc::IcmpSocket::Open()) {
    const auto shown = ShownLatencies(qnc::TableKind::kPing, "127.0.0.1", [](qnc::TableStore& table, auto onPass) {
      static qnc::ResetRequest reset;
      static qnc::HostResolver resolver;
      qnc::PingWorkerOptions options;
      options.pauseMs = 0;
      options.onPassEnd = onPass;
      return std::make_unique<qnc::PingWorker>(table, reset, resolver, options);
    });
    const auto ping = PingCommandTimings();
    PrintRow("ICMP echo, loopback", "ping(8)", Summarise(shown), Summarise(ping));
  } else {
    std::printf("ICMP echo: skipped (no ICMP socket; run as root)\n");
  }

  auto listener = qnc::TcpSocket::Open();
  listener->Bind(*qnc::ParseDottedQuad("127.0.0.1"), 0);
  listener->Listen(256);
  const std::uint16_t port = listener->LocalPort();
  std::jthread acceptor([&](std::stop_token stop) {
    while (!stop.stop_requested()) listener->Accept(100, stop);
  });
  const auto shown = ShownLatencies(qnc::TableKind::kGame, "127.0.0.1:" + std::to_string(port),
                                    [](qnc::TableStore& table, auto onPass) {
                                      static qnc::HostResolver resolver;
                                      qnc::GameWorkerOptions options;
                                      options.pauseMs = 0;
                                      options.onPassEnd = onPass;
                                      return std::make_unique<qnc::GameWorker>(table, resolver, options);
                                    });
  PrintRow("TCP connect, loopback", "plain connect", Summarise(shown), Summarise(PlainConnectTimings(port)));
  return 0;
}
