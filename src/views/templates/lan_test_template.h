#pragma once
#include <string_view>

#include "views/templates/dialog_template.h"

namespace qnc {

// The LAN test window: ids of its controls.
namespace id {
inline constexpr int kLanLogEdit = 1001;
inline constexpr int kLanServerAddressEdit = 1002;
inline constexpr int kLanClientPortEdit = 1004;
inline constexpr int kLanServerPortEdit = 1005;
inline constexpr int kLanStartStopButton = 1018;
inline constexpr int kLanChangePortButton = 1019;
inline constexpr int kLanModeList = 1022;
inline constexpr int kLanParameterGroup = 1023;
inline constexpr int kLanServerAddressLabel = 1024;
inline constexpr int kLanModeLabel = 1025;
inline constexpr int kLanThreadCountLabel = 1026;
inline constexpr int kLanClientPortLabel = 1027;
inline constexpr int kLanServerPortLabel = 1028;
inline constexpr int kLanThreadCountList = 1030;
}  // namespace id

// The LAN test window, 446 x 263 dialog units of an 8-point font, with every
// control of both modes; its caption is the opener's preset, set when it
// opens. The window shows one mode's controls (below) and fills the lists,
// the port edits and the group's title as it opens.
const DialogTemplate& LanTestDialogTemplate();

// The texts and list items the LAN test window sets as it runs.
namespace lan_window {
// The start/stop button's two texts, which are also the client side's run state.
inline constexpr std::string_view kStartText = "开始测试";
inline constexpr std::string_view kStopText = "停止";
// The parameter group's title in each mode.
inline constexpr std::string_view kServerGroupText = "服务器端参数";
inline constexpr std::string_view kClientGroupText = "客户端参数";
// What both port edits hold when the window opens.
inline constexpr std::string_view kInitialPortText = "10110";

// The items of the two drop-down lists, in their order, and the ones chosen
// when the window opens.
inline constexpr std::string_view kModeItems[] = {"同时上传和下载", "只下载测试", "只上传测试"};
inline constexpr std::string_view kThreadCountItems[] = {"1线程", "4线程", "8线程"};
inline constexpr int kInitialModeIndex = 1;
inline constexpr int kInitialThreadCountIndex = 0;

// Controls shown only in server mode and only in client mode; the group box
// and the log are shown in both.
inline constexpr int kServerOnlyControls[] = {id::kLanServerPortLabel, id::kLanServerPortEdit,
                                              id::kLanChangePortButton};
inline constexpr int kClientOnlyControls[] = {
    id::kLanServerAddressEdit,  id::kLanStartStopButton, id::kLanModeList,
    id::kLanServerAddressLabel, id::kLanModeLabel,       id::kLanClientPortEdit,
    id::kLanClientPortLabel,    id::kLanThreadCountList, id::kLanThreadCountLabel};
}  // namespace lan_window

}  // namespace qnc
