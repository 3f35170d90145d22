#pragma once

// Conversion between GBK (code page 936) and UTF-8 through glibc iconv. Each object owns one conversion
// descriptor; use one object per thread.

#include <optional>
#include <string>
#include <string_view>

namespace qnc {

class IconvHandle {
 public:
  IconvHandle(const char* toCode, const char* fromCode);
  ~IconvHandle();
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;

  bool IsOpen() const { return descriptor_ != nullptr; }
  // Converts as much of input as it can into output (appending). Returns false at the first input sequence
  // that does not convert; consumed then says how many input bytes were converted before it.
  bool Convert(std::string_view input, std::string& output, std::size_t& consumed);

 private:
  void* descriptor_ = nullptr;
};

class GbkDecoder {
 public:
  GbkDecoder();
  // UTF-8 text of GBK bytes. A byte sequence with no character behind it (a two-byte character outside the
  // code page, a stray byte) becomes one U+FFFD and decoding goes on after it.
  std::string Decode(std::string_view gbk);

 private:
  IconvHandle toUtf8_;
};

class GbkEncoder {
 public:
  GbkEncoder();
  // GBK bytes of UTF-8 text, or nullopt when a character of it has no GBK form (or the text is not UTF-8).
  std::optional<std::string> Encode(std::string_view utf8);

 private:
  IconvHandle toGbk_;
};

}  // namespace qnc
