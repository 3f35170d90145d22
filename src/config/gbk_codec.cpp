#include "config/gbk_codec.h"

#include <iconv.h>

#include <cerrno>

#include "config/text_encoding.h"

namespace qnc {
namespace {

// Windows code page 936 (GBK with the euro sign at 0x80), as glibc names it.
constexpr const char* kCodePage936 = "CP936";
constexpr const char* kUtf8 = "UTF-8";

iconv_t AsIconv(void* descriptor) { return static_cast<iconv_t>(descriptor); }

}  // namespace

IconvHandle::IconvHandle(const char* toCode, const char* fromCode) {
  iconv_t descriptor = iconv_open(toCode, fromCode);
  if (descriptor != reinterpret_cast<iconv_t>(-1)) descriptor_ = descriptor;
}

IconvHandle::~IconvHandle() {
  if (descriptor_ != nullptr) iconv_close(AsIconv(descriptor_));
}

bool IconvHandle::Convert(std::string_view input, std::string& output, std::size_t& consumed) {
  consumed = 0;
  if (descriptor_ == nullptr) return input.empty();
  iconv(AsIconv(descriptor_), nullptr, nullptr, nullptr, nullptr);  // start from the initial shift state
  std::string in(input);
  char* inPtr = in.data();
  std::size_t inLeft = in.size();
  const std::size_t start = output.size();
  output.resize(start + in.size() * 3 + 8);
  std::size_t written = start;
  bool ok = true;
  while (inLeft > 0) {
    char* outPtr = output.data() + written;
    std::size_t outLeft = output.size() - written;
    const std::size_t result = iconv(AsIconv(descriptor_), &inPtr, &inLeft, &outPtr, &outLeft);
    const int error = errno;
    written = output.size() - outLeft;
    if (result != static_cast<std::size_t>(-1)) break;
    if (error == E2BIG) {
      output.resize(output.size() * 2 + 16);
      continue;
    }
    ok = false;  // EILSEQ or EINVAL: a sequence that does not convert, or one cut off at the end
    break;
  }
  output.resize(written);
  consumed = static_cast<std::size_t>(inPtr - in.data());
  return ok;
}

GbkDecoder::GbkDecoder() : toUtf8_(kUtf8, kCodePage936) {}

std::string GbkDecoder::Decode(std::string_view gbk) {
  std::string text;
  while (!gbk.empty()) {
    std::size_t consumed = 0;
    if (toUtf8_.IsOpen() && toUtf8_.Convert(gbk, text, consumed)) break;
    gbk.remove_prefix(consumed);
    if (gbk.empty()) break;
    if (static_cast<unsigned char>(gbk.front()) < 0x80U) {  // only without a converter
      text += gbk.front();
      gbk.remove_prefix(1);
      continue;
    }
    // Skip the whole character the bad bytes form, so that a trail byte is never read as ASCII.
    text += kReplacementCharacter;
    gbk.remove_prefix(GbkCharLength(gbk));
  }
  return text;
}

GbkEncoder::GbkEncoder() : toGbk_(kCodePage936, kUtf8) {}

std::optional<std::string> GbkEncoder::Encode(std::string_view utf8) {
  if (!toGbk_.IsOpen()) return std::nullopt;
  std::string gbk;
  std::size_t consumed = 0;
  if (!toGbk_.Convert(utf8, gbk, consumed)) return std::nullopt;
  return gbk;
}

}  // namespace qnc
