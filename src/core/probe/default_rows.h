#pragma once
#include <string>
#include <vector>

namespace qnc {

// The rows a table starts with before any configuration file is loaded.
struct DefaultRow {
  std::string target;
  std::vector<std::pair<int, std::string>> cells;  // further cells: column, text
};

std::vector<DefaultRow> DefaultDnsRows();
// The ping table's rows; the fourth is the LAN gateway, given by the caller
// (an empty text when there is none: that row is then never measured).
std::vector<DefaultRow> DefaultPingRows(const std::string& gatewayAddress);
std::vector<DefaultRow> DefaultGameRows();

}  // namespace qnc
