// Feeds arbitrary bytes to one server connection of the LAN test over a real
// loopback connection: the first byte picks the connection's mode (any value,
// known or not), and the rest is whatever a peer might send after it, cut into
// sends where the input says. The client side then closes. The connection
// thread must end on its own (a hang is a time-out of the fuzzer) and without
// a memory error or undefined behaviour.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <sstream>
#include <thread>

#include "core/lantest/connection_limits.h"
#include "core/lantest/lan_engine_context.h"
#include "core/lantest/lan_log.h"
#include "core/lantest/lan_log_store.h"
#include "core/lantest/lan_test_state.h"
#include "core/lantest/log_lines.h"
#include "core/lantest/server_engine.h"
#include "platform/ipv4.h"
#include "platform/tcp_socket.h"
#include "platform/ticks.h"

namespace {

using qnc::TcpSocket;

const qnc::Ipv4NetOrder kLoopback = qnc::InetAddr("127.0.0.1");

// One listener on an ephemeral loopback port for the whole run.
TcpSocket& Listener() {
  static TcpSocket listener = [] {
    std::optional<TcpSocket> socket = TcpSocket::Open();
    if (!socket || !socket->Bind(kLoopback, 0) || !socket->Listen(4)) std::abort();
    return std::move(*socket);
  }();
  return listener;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first input byte says where the stream is cut in two sends.
  const std::size_t cut = size > 1 ? 1 + data[0] % (size - 1) : 0;
  const std::span<const std::uint8_t> stream(data + 1, size - 1);

  TcpSocket& listener = Listener();
  std::optional<TcpSocket> client = TcpSocket::Open();
  if (!client) std::abort();
  if (client->Connect(kLoopback, listener.LocalPort(), 2000) != qnc::ConnectResult::kConnected) {
    std::abort();
  }
  std::optional<TcpSocket::Accepted> accepted = listener.Accept(2000);
  if (!accepted) std::abort();

  qnc::LanTestState state;
  qnc::LanLogStore log;
  std::ostringstream consoleText;
  qnc::ConsoleLines console(consoleText);
  qnc::LanEngineCounters counters;
  const qnc::LanEngineContext context{state, log, console, counters, qnc::SystemTicks(), qnc::SystemLocalClock()};
  qnc::ConnectionActivity activity;
  {
    std::jthread connection(
        [&](std::stop_token stop) { qnc::ConnectionThread(stop, context, std::move(accepted->socket), activity); });
    client->SetSendTimeout(1000);
    if (!stream.empty()) {
      client->Send(stream.first(std::min(cut, stream.size())));
      if (cut < stream.size()) client->Send(stream.subspan(cut));
    }
    client->Close();
  }  // joins: the connection must end once its peer is gone

  return 0;
}
