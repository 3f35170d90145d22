#pragma once
#include <span>
#include <string_view>

namespace qnc {

// The LAN test dialog as data: its size and every control with its id, kind,
// text and rectangle, all in dialog units of the dialog's font.

enum LanDialogControlId : int {
  kLanLogEdit = 1001,
  kLanServerAddressEdit = 1002,
  kLanClientPortEdit = 1004,
  kLanServerPortEdit = 1005,
  kLanStartStopButton = 1018,
  kLanChangePortButton = 1019,
  kLanModeList = 1022,
  kLanParameterGroup = 1023,
  kLanServerAddressLabel = 1024,
  kLanModeLabel = 1025,
  kLanThreadCountLabel = 1026,
  kLanClientPortLabel = 1027,
  kLanServerPortLabel = 1028,
  kLanThreadCountList = 1030,
};

enum class LanControlKind { kGroupBox, kLabel, kLineEdit, kPushButton, kDropDownList, kLogEdit };

struct DialogUnitRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

struct LanControlTemplate {
  int id;
  LanControlKind kind;
  std::string_view text;
  DialogUnitRect rect;  // for a drop-down list, the height includes the dropped list
};

inline constexpr int kLanDialogWidthDu = 446;
inline constexpr int kLanDialogHeightDu = 263;

// In creation order (the group box first, so it lies beneath the controls it frames).
std::span<const LanControlTemplate> LanDialogControls();

// Button texts, which are also the client side's run state.
inline constexpr std::string_view kStartText = "开始测试";
inline constexpr std::string_view kStopText = "停止";
inline constexpr std::string_view kServerGroupText = "服务器端参数";
inline constexpr std::string_view kClientGroupText = "客户端参数";
inline constexpr std::string_view kInitialPortText = "10110";

// The items of the two drop-down lists, in their order.
inline constexpr std::string_view kModeItems[] = {"同时上传和下载", "只下载测试", "只上传测试"};
inline constexpr std::string_view kThreadCountItems[] = {"1线程", "4线程", "8线程"};
inline constexpr int kInitialModeIndex = 1;
inline constexpr int kInitialThreadCountIndex = 0;

// Controls shown only in server mode and only in client mode; the group box
// and the log are shown in both.
inline constexpr int kServerOnlyControls[] = {kLanServerPortLabel, kLanServerPortEdit, kLanChangePortButton};
inline constexpr int kClientOnlyControls[] = {kLanServerAddressEdit, kLanStartStopButton, kLanModeList,
                                              kLanServerAddressLabel, kLanModeLabel, kLanClientPortEdit,
                                              kLanClientPortLabel, kLanThreadCountList, kLanThreadCountLabel};

}  // namespace qnc
