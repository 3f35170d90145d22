#include <memory>

#include "platform/ipv4.h"
#include "platform/system_ip_config.h"
#include "platform/win32/windows_api.h"

namespace qnc {

namespace {

// IP Helper fills a caller's buffer and says how large it must be when it is
// too small; the size can grow between two calls, so this asks a few times.
template <typename Fill>
std::unique_ptr<unsigned char[]> FillGrowing(Fill fill) {
  ULONG size = 16 * 1024;
  for (int attempt = 0; attempt < 4; ++attempt) {
    auto buffer = std::make_unique<unsigned char[]>(size);
    const DWORD result = fill(buffer.get(), &size);
    if (result == ERROR_SUCCESS) return buffer;
    if (result != ERROR_BUFFER_OVERFLOW) return nullptr;
  }
  return nullptr;
}

bool IsUsableAddress(const char* text) {
  const auto address = ParseDottedQuad(text);
  return address && *address != 0;
}

}  // namespace

// The first gateway of the first adapter that has one, in IP Helper's order.
std::string SystemGatewayAddress() {
  const auto buffer = FillGrowing(
      [](unsigned char* data, ULONG* size) { return ::GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(data), size); });
  if (!buffer) return {};
  for (const auto* adapter = reinterpret_cast<const IP_ADAPTER_INFO*>(buffer.get()); adapter != nullptr;
       adapter = adapter->Next) {
    for (const IP_ADDR_STRING* gateway = &adapter->GatewayList; gateway != nullptr; gateway = gateway->Next) {
      if (IsUsableAddress(gateway->IpAddress.String)) return FormatIpv4(*ParseDottedQuad(gateway->IpAddress.String));
    }
  }
  return {};
}

std::optional<std::vector<std::string>> SystemDnsServers() {
  const auto buffer = FillGrowing(
      [](unsigned char* data, ULONG* size) { return ::GetNetworkParams(reinterpret_cast<FIXED_INFO*>(data), size); });
  if (!buffer) return std::nullopt;
  std::vector<std::string> servers;
  const auto* info = reinterpret_cast<const FIXED_INFO*>(buffer.get());
  for (const IP_ADDR_STRING* server = &info->DnsServerList; server != nullptr; server = server->Next) {
    if (IsUsableAddress(server->IpAddress.String)) servers.push_back(FormatIpv4(*ParseDottedQuad(server->IpAddress.String)));
  }
  return servers;
}

}  // namespace qnc
