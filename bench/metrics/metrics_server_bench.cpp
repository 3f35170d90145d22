// Scrape latency of the metrics server, everything on 127.0.0.1:
//   1. 3 x 1,000 rows while the rows are reloaded (each reload replaces every
//      row), with a probe recording all the while: scrape times, the longest
//      time a probe waited, the time of each reload, and whether any scrape
//      mixed two sets of rows;
//   2. scrapes while 1,000 connections are open and idle;
//   3. scrapes while 50, then 1,000 connections trickle a request head a byte
//      every half second (reconnecting when closed).
// Prints figures; asserts nothing. Usage: bench_metrics_server [SCRAPES]
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "cli/metrics/http_exchange.h"
#include "cli/metrics/metrics_server.h"
#include "cli/metrics/probe_metrics.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using qnc::ProbeMetrics;
using qnc::TableKind;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct Figures {
  std::vector<double> ms;
  int failed = 0;
  void Print(const char* what) {
    std::sort(ms.begin(), ms.end());
    const auto at = [this](double q) {
      return ms.empty() ? 0.0 : ms[std::min(ms.size() - 1, std::size_t(q * ms.size()))];
    };
    std::printf("  %-44s %4zu scrapes: p50 %8.1f ms  p99 %8.1f ms  max %8.1f ms  failed %d\n", what, ms.size(), at(0.5),
                at(0.99), ms.empty() ? 0.0 : ms.back(), failed);
  }
};

// One scrape on a fresh connection; false when it was not a whole 200.
bool Scrape(std::uint16_t port, Figures& figures, std::string* body = nullptr) {
  const auto start = Clock::now();
  const auto exchange = qnc::test::Exchange(port, "GET /metrics HTTP/1.1\r\nHost: bench\r\nConnection: close\r\n\r\n",
                                            std::chrono::seconds(15));
  const bool ok = exchange.Status() == 200 && exchange.closedByServer;
  if (ok) {
    figures.ms.push_back(Ms(Clock::now() - start));
    if (body != nullptr) *body = exchange.Body();
  } else {
    ++figures.failed;
  }
  return ok;
}

qnc::PerTable<std::vector<std::string>> Rows(const std::string& prefix, int count) {
  qnc::PerTable<std::vector<std::string>> tables;
  for (const TableKind kind : qnc::kAllTables) {
    for (int i = 0; i < count; ++i) tables[kind].push_back(prefix + std::to_string(i));
  }
  return tables;
}

std::optional<qnc::TcpSocket> Connect(std::uint16_t port) {
  auto socket = qnc::TcpSocket::Open();
  if (!socket || socket->Connect(*qnc::ParseDottedQuad("127.0.0.1"), port, 5000) != qnc::ConnectResult::kConnected) {
    return std::nullopt;
  }
  return socket;
}

void Reloads(int scrapes) {
  ProbeMetrics metrics("bench");
  std::string whyNot;
  const auto server = qnc::MetricsServer::Listen(
      "127.0.0.1:0", [&metrics](std::string& out) { metrics.WriteText(out); }, whyNot);
  if (!server) {
    std::printf("cannot listen: %s\n", whyNot.c_str());
    std::exit(1);
  }
  const auto port = static_cast<std::uint16_t>(server->Port());
  const auto first = Rows("first-", 1000);
  const auto second = Rows("second-", 1000);
  metrics.Record(TableKind::kDns, "-", "192.0.2.53", {"timeout", {}, {}});
  metrics.SetTables(first, "");

  std::atomic<bool> done{false};
  std::atomic<long long> longestRecordUs{0};
  std::thread prober([&] {
    for (int i = 0; !done.load(); i = (i + 1) % 1000) {
      const auto start = Clock::now();
      metrics.Record(TableKind::kPing, "first-" + std::to_string(i), "",
                     {"ok", 1500us, std::chrono::system_clock::now()});
      const auto us = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
      long long seen = longestRecordUs.load();
      while (us > seen && !longestRecordUs.compare_exchange_weak(seen, us)) {
      }
      std::this_thread::sleep_for(200us);
    }
  });
  Figures quiet;
  for (int i = 0; i < 5; ++i) Scrape(port, quiet);
  Figures during;
  int mixed = 0;
  std::vector<double> reloadMs;
  std::thread reloader([&] {
    for (int i = 0; i < 10; ++i) {
      const auto start = Clock::now();
      metrics.SetTables(i % 2 == 0 ? second : first, "");
      reloadMs.push_back(Ms(Clock::now() - start));
    }
    done.store(true);
  });
  std::string body;
  while (!done.load() || during.ms.size() < static_cast<std::size_t>(scrapes) / 4) {
    if (!Scrape(port, during, &body)) continue;
    const bool hasFirst = body.find("target=\"first-") != std::string::npos;
    const bool hasSecond = body.find("target=\"second-") != std::string::npos;
    mixed += hasFirst && hasSecond ? 1 : 0;
  }
  done.store(true);
  reloader.join();
  prober.join();
  std::printf("1. 3 x 1,000 rows, %zu bytes a scrape\n", body.size());
  quiet.Print("no reload");
  during.Print("during 10 reloads of every row");
  std::sort(reloadMs.begin(), reloadMs.end());
  std::printf(
      "  a reload takes %.1f to %.1f ms; the longest probe record waited %.1f ms; scrapes that mixed two "
      "sets of rows: %d\n",
      reloadMs.front(), reloadMs.back(), longestRecordUs.load() / 1000.0, mixed);
}

void HeldConnections(int scrapes) {
  ProbeMetrics metrics("bench");
  metrics.SetTables(Rows("row-", 30), "");
  std::string whyNot;
  const auto server = qnc::MetricsServer::Listen(
      "127.0.0.1:0", [&metrics](std::string& out) { metrics.WriteText(out); }, whyNot);
  const auto port = static_cast<std::uint16_t>(server->Port());
  std::printf("2./3. 3 x 30 rows, scrapes on a fresh connection each\n");
  {
    std::vector<qnc::TcpSocket> idle;
    for (int i = 0; i < 1000; ++i) {
      if (auto socket = Connect(port)) idle.push_back(std::move(*socket));
    }
    Figures figures;
    for (int i = 0; i < scrapes; ++i) Scrape(port, figures);
    figures.Print(("with " + std::to_string(idle.size()) + " idle connections").c_str());
  }
  for (const int count : {50, 1000}) {
    std::atomic<bool> stop{false};
    std::atomic<int> reconnects{0};
    std::thread trickler([&] {
      const std::string head = "GET /metrics HTTP/1.1\r\nHost: slow\r\nX-Slow: ";
      std::vector<std::optional<qnc::TcpSocket>> sockets(static_cast<std::size_t>(count));
      std::vector<std::size_t> sent(sockets.size(), 0);
      while (!stop.load()) {
        for (std::size_t i = 0; i < sockets.size() && !stop.load(); ++i) {
          if (!sockets[i]) {
            sockets[i] = Connect(port);
            sent[i] = 0;
            if (!sockets[i]) continue;
            sockets[i]->SetNonBlocking(true);
          }
          const std::uint8_t byte = static_cast<std::uint8_t>(sent[i] < head.size() ? head[sent[i]] : 'a');
          const long result = sockets[i]->Send(std::span(&byte, 1));
          std::uint8_t ignored[64];
          if (result != 1 || sockets[i]->Receive(ignored) >= 0) {  // closed, or answered (a 408): start again
            sockets[i].reset();
            ++reconnects;
          } else {
            ++sent[i];
          }
        }
        std::this_thread::sleep_for(500ms);
      }
    });
    std::this_thread::sleep_for(1500ms);
    Figures figures;
    for (int i = 0; i < scrapes; ++i) {
      Scrape(port, figures);
      std::this_thread::sleep_for(20ms);
    }
    stop.store(true);
    trickler.join();
    figures.Print(("with " + std::to_string(count) + " slowloris connections").c_str());
    std::printf("  (%d of their connections were closed by the server and opened again)\n", reconnects.load());
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int scrapes = argc > 1 ? std::atoi(argv[1]) : 200;
  rlimit files{};
  if (getrlimit(RLIMIT_NOFILE, &files) == 0) {
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
  }
  Reloads(scrapes);
  HeldConnections(scrapes);
  return 0;
}
