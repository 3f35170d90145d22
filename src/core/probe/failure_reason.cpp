#include "core/probe/failure_reason.h"

namespace qnc {

namespace {

struct ReasonWords {
  std::string_view label;
  std::string_view text;
};

// Indexed by the enumerator's value, in declaration order.
constexpr std::array<ReasonWords, kAllFailureReasons.size()> kWords{{
    {"ok", "成功"},
    {"timeout", "超时"},
    {"nxdomain", "域名不存在"},
    {"refused", "连接被拒绝"},
    {"unreachable", "目标不可达"},
    {"no_permission", "没有权限发送 ping"},
    {"bad_name", "名称无效"},
    {"error", "本地错误"},
    {"lookup_failed", "域名解析失败"},
    {"lookup_timeout", "DNS 超时"},
}};

const ReasonWords& WordsOf(FailureReason reason) {
  const auto index = static_cast<std::size_t>(reason);
  return kWords[index < kWords.size() ? index : static_cast<std::size_t>(FailureReason::kLocalError)];
}

}  // namespace

std::string_view FailureLabel(FailureReason reason) { return WordsOf(reason).label; }

std::string_view FailureText(FailureReason reason) { return WordsOf(reason).text; }

std::optional<FailureReason> FailureReasonFromLabel(std::string_view label) {
  for (const FailureReason reason : kAllFailureReasons) {
    if (FailureLabel(reason) == label) return reason;
  }
  return std::nullopt;
}

}  // namespace qnc
