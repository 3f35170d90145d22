#pragma once
// Builds DNS messages byte by byte for tests and the scripted responder.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qnc::test {

using Bytes = std::vector<std::uint8_t>;

inline void Append16(Bytes& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value >> 8));
  out.push_back(static_cast<std::uint8_t>(value));
}

// A name as length-prefixed labels with its final zero byte.
inline Bytes EncodeName(std::string_view name) {
  Bytes out;
  while (!name.empty()) {
    const auto dot = name.find('.');
    const auto label = name.substr(0, dot);
    out.push_back(static_cast<std::uint8_t>(label.size()));
    out.insert(out.end(), label.begin(), label.end());
    if (dot == std::string_view::npos) break;
    name.remove_prefix(dot + 1);
  }
  out.push_back(0);
  return out;
}

// A compression pointer to an offset in the message.
inline Bytes Pointer(std::uint16_t offset) {
  return {static_cast<std::uint8_t>(0xC0 | (offset >> 8)), static_cast<std::uint8_t>(offset)};
}

struct Record {
  Bytes owner;
  std::uint16_t type = 1;
  std::uint16_t klass = 1;
  Bytes data;
};

inline Bytes Ipv4Data(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) { return {a, b, c, d}; }

// A reply: header, one question for `name`, then the records, counted as
// answers, authority and additional records in that order.
inline Bytes Reply(std::uint16_t id, std::string_view name, const std::vector<Record>& answers,
                   const std::vector<Record>& authority = {}, const std::vector<Record>& additional = {},
                   std::uint16_t flags = 0x8180) {
  Bytes out;
  Append16(out, id);
  Append16(out, flags);
  Append16(out, 1);
  Append16(out, static_cast<std::uint16_t>(answers.size()));
  Append16(out, static_cast<std::uint16_t>(authority.size()));
  Append16(out, static_cast<std::uint16_t>(additional.size()));
  const Bytes question = EncodeName(name);
  out.insert(out.end(), question.begin(), question.end());
  Append16(out, 1);
  Append16(out, 1);
  for (const auto* section : {&answers, &authority, &additional}) {
    for (const Record& record : *section) {
      out.insert(out.end(), record.owner.begin(), record.owner.end());
      Append16(out, record.type);
      Append16(out, record.klass);
      Append16(out, 0);
      Append16(out, 60);  // TTL
      Append16(out, static_cast<std::uint16_t>(record.data.size()));
      out.insert(out.end(), record.data.begin(), record.data.end());
    }
  }
  return out;
}

// The query name of a query message, dotted; empty when it cannot be read.
inline std::string QueryName(const std::uint8_t* message, std::size_t length) {
  std::string name;
  std::size_t at = 12;
  while (at < length && message[at] != 0) {
    const std::size_t label = message[at];
    if (at + 1 + label > length) return {};
    if (!name.empty()) name.push_back('.');
    name.append(reinterpret_cast<const char*>(message + at + 1), label);
    at += 1 + label;
  }
  return name;
}

}  // namespace qnc::test
