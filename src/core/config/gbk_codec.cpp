#include "core/config/gbk_codec.h"

#include "core/config/text_encoding.h"
#include "platform/code_page.h"

namespace qnc {
namespace {

// The end of the whole GBK characters that make up about the first half of a run of two or more.
std::size_t HalfwayCharBoundary(std::string_view gbk) {
  std::size_t cut = GbkCharLength(gbk);
  while (cut < gbk.size() / 2) cut += GbkCharLength(gbk.substr(cut));
  return cut;
}

// Decodes whole GBK characters, halving the run around the ones that do not convert: a file with k bad
// characters costs about k * log(n) conversions, a clean one a single conversion.
void DecodeInto(std::string_view gbk, std::string& text) {
  if (gbk.empty()) return;
  if (const auto converted = Cp936ToUtf8(gbk)) {
    text += *converted;
    return;
  }
  if (GbkCharLength(gbk) == gbk.size()) {
    text += kReplacementCharacter;  // one character that the code page does not have
    return;
  }
  const std::size_t cut = HalfwayCharBoundary(gbk);
  DecodeInto(gbk.substr(0, cut), text);
  DecodeInto(gbk.substr(cut), text);
}

}  // namespace

std::string GbkDecoder::Decode(std::string_view gbk) {
  std::string text;
  DecodeInto(gbk, text);
  return text;
}

std::optional<std::string> GbkEncoder::Encode(std::string_view utf8) {
  if (!IsValidUtf8(utf8)) return std::nullopt;
  return Utf8ToCp936(utf8);
}

}  // namespace qnc
