#include "platform/bounded_read.h"

namespace qnc {

std::string_view DescribeRefusal(ReadRefusal refusal) {
  switch (refusal) {
    case ReadRefusal::kCannotOpen:
      return "it cannot be opened";
    case ReadRefusal::kNotRegularFile:
      return "it is not a regular file";
    case ReadRefusal::kTooLarge:
      return "it is too large";
    case ReadRefusal::kReadError:
      return "it cannot be read";
  }
  return "it cannot be read";
}

}  // namespace qnc
