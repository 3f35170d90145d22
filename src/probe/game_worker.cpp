#include "probe/game_worker.h"

#include "probe/host_port.h"
#include "probe/row_update.h"
#include "probe/worker_loop.h"

namespace qnc {

namespace {

// One connect probe; true when the connection was established.
bool ConnectOnce(std::string_view text, ResolverLock& resolver, int timeoutMs, std::stop_token stop) {
  const HostPort target = SplitHostPort(text);
  auto socket = TcpSocket::Open();
  if (!socket) return false;
  const std::optional<Ipv4NetOrder> address = resolver.Resolve(target.host, stop);
  if (!address) return false;
  return socket->Connect(*address, target.port, timeoutMs, std::move(stop)) == ConnectResult::kConnected;
}

}  // namespace

GameWorker::GameWorker(ProbeTable& table, ResolverLock& resolver, GameWorkerOptions options)
    : table_(table), resolver_(resolver), options_(std::move(options)) {}

void GameWorker::Run(std::stop_token stop) {
  ResetCounters(table_);
  const TickSource& ticks = *options_.ticks;
  RunPasses(
      stop, table_, options_, [] {},
      [&](const RowRef& row, const std::string& text) {
        const std::uint32_t t0 = ticks.Now();
        const bool connected = ConnectOnce(text, resolver_, options_.connectTimeoutMs, stop);
        if (stop.stop_requested()) return;
        if (connected) {
          RecordSuccess(table_, row, ticks.Now() - t0);
        } else {
          RecordTimeout(table_, row);
        }
      });
}

}  // namespace qnc
