#include "platform/code_page.h"

#include <iconv.h>

#include <cerrno>

namespace qnc {

namespace {

// Code page 936 as glibc names it.
constexpr const char* kCodePage936 = "CP936";
constexpr const char* kUtf8 = "UTF-8";

// One conversion descriptor for the length of one conversion: descriptors
// keep state and may not be shared between threads.
class Iconv {
 public:
  Iconv(const char* toCode, const char* fromCode) : descriptor_(iconv_open(toCode, fromCode)) {}
  ~Iconv() {
    if (IsOpen()) iconv_close(descriptor_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  bool IsOpen() const { return descriptor_ != reinterpret_cast<iconv_t>(-1); }

  // The whole input converted, or nothing at the first sequence that does not
  // convert (or one cut off at the end).
  std::optional<std::string> Convert(std::string_view input) {
    if (!IsOpen()) return std::nullopt;
    std::string in(input);
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    std::string output(in.size() * 3 + 8, '\0');
    std::size_t written = 0;
    while (inLeft > 0) {
      char* outPtr = output.data() + written;
      std::size_t outLeft = output.size() - written;
      const std::size_t result = iconv(descriptor_, &inPtr, &inLeft, &outPtr, &outLeft);
      const int error = errno;
      written = output.size() - outLeft;
      if (result != static_cast<std::size_t>(-1)) break;
      if (error != E2BIG) return std::nullopt;  // EILSEQ or EINVAL
      output.resize(output.size() * 2 + 16);
    }
    output.resize(written);
    return output;
  }

 private:
  iconv_t descriptor_;
};

}  // namespace

std::optional<std::string> Cp936ToUtf8(std::string_view gbk) { return Iconv(kUtf8, kCodePage936).Convert(gbk); }

std::optional<std::string> Utf8ToCp936(std::string_view utf8) { return Iconv(kCodePage936, kUtf8).Convert(utf8); }

}  // namespace qnc
