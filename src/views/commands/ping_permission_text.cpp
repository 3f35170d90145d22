#include "views/commands/ping_permission_text.h"

#include <algorithm>
#include <filesystem>

namespace qnc {

namespace {

constexpr std::string_view kWhatGoesWrong = "无法发送 ping：ping 表的每一行都只会显示“超时”。\n\n";
constexpr std::string_view kStartAnew =
    "权限只在程序启动时生效：设置之后请完全退出本程序（右键单击托盘图标，选择“关闭Quorix测试工具”），再重新启动。";

bool PlainShellWord(std::string_view path) {
  return !path.empty() && std::all_of(path.begin(), path.end(), [](char each) {
    return (each >= 'A' && each <= 'Z') || (each >= 'a' && each <= 'z') || (each >= '0' && each <= '9') ||
           std::string_view("_./+-").find(each) != std::string_view::npos;
  });
}

// The path as a shell word, so the command can be pasted as it stands.
std::string ShellWord(std::string_view path) {
  if (PlainShellWord(path)) return std::string(path);
  std::string quoted = "'";
  for (const char each : path) {
    if (each == '\'') {
      quoted += "'\\''";
    } else {
      quoted += each;
    }
  }
  return quoted + "'";
}

std::string CleanAbsolute(std::string_view path) {
  std::error_code ignored;
  std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::path(path), ignored);
  std::string text = absolute.lexically_normal().generic_string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

}  // namespace

ProgramPlacement PlacementOf(std::string_view programPath, std::string_view buildTree) {
  const std::string tree = CleanAbsolute(buildTree) + "/";
  const std::string program = CleanAbsolute(programPath);
  return program.starts_with(tree) ? ProgramPlacement::kBuildTree : ProgramPlacement::kInstalled;
}

std::string PingPermissionText(std::string_view programPath, ProgramPlacement placement) {
  std::string text(kWhatGoesWrong);
  text +=
      "原因：本程序既没有以 root 身份运行，也没有 cap_net_raw 权限，所以不能打开原始 ICMP 套接字；"
      "系统也不允许当前用户使用 ICMP 数据报套接字（net.ipv4.ping_group_range）。\n\n";
  const std::string setcap = "    sudo setcap cap_net_raw+ep " + ShellWord(programPath) + "\n\n";
  if (placement == ProgramPlacement::kBuildTree) {
    text +=
        "解决办法：这是构建目录中的程序。在源码目录中以 root 身份运行\n"
        "    bash scripts/run\n"
        "它会构建并安装一个带 cap_net_raw 权限的版本（build/install/bin/quorix-net-check）并启动它；"
        "或者直接给这个程序该权限（重新构建后需要再做一次）：\n";
  } else {
    text += "解决办法：给本程序 cap_net_raw 权限\n";
  }
  text += setcap;
  text += kStartAnew;
  return text;
}

std::string AdministratorPingPermissionText() {
  std::string text(kWhatGoesWrong);
  text +=
      "原因：本程序没有以管理员身份运行；Windows 只允许管理员打开原始 ICMP 套接字。\n\n"
      "解决办法：右键单击本程序（或它的快捷方式），选择“以管理员身份运行”；"
      "或者在它的“属性”→“兼容性”中勾选“以管理员身份运行此程序”。\n\n";
  text += kStartAnew;
  return text;
}

}  // namespace qnc
