#include "views/templates/window_templates.h"

#include "views/templates/control_ids.h"
#include "views/templates/menu_templates.h"

namespace qnc {

using K = ControlKind;

namespace {

// The main window's own: a task-bar button, minimise and maximise boxes.
constexpr unsigned kMainWindowStyle =
    window_style::kTaskBarButton | window_style::kMinimizeBox | window_style::kMaximizeBox;
// The smaller windows use an 8-point font.
constexpr FontTemplate kSmallWindowFont{.pointSize = 8};

}  // namespace

const DialogTemplate& MainDialogTemplate() {
  static const DialogTemplate dialog{
      .id = id::kMainDialog,
      .caption = kMainWindowTitle,
      .widthDu = 495,
      .heightDu = 397,
      .font = {.pointSize = 9},
      .windowStyle = kMainWindowStyle,
      .menuBar = &MainMenuBarTemplate(),
      .controls = {
          {0, K::kGroupBox, "DNS服务器测试及延迟", {7, 7, 481, 101}},
          {0, K::kGroupBox, "PING延迟", {7, 129, 481, 128}},
          {id::kPingTable, K::kListView, "", {26, 140, 453, 110}},
          {id::kDnsTable, K::kListView, "", {27, 37, 447, 62}},
          {0, K::kLabel, "dns服务器：", {19, 18, 49, 14}},
          {id::kDnsServerEdit, K::kEdit, "", {72, 17, 94, 16}},
          {id::kConfirmDnsButton, K::kPushButton, "确认修改dns", {170, 18, 47, 13}},
          {id::kRetestPingButton, K::kPushButton, "重新测试PING", {387, 119, 74, 13}},
          {id::kRetestDnsButton, K::kPushButton, "重新测试dns", {394, 24, 66, 13}},
          {id::kAboutButton, K::kPushButton, "关于", {116, 259, 38, 13}},
          {0, K::kGroupBox, "TCP 端口(游戏)实际延迟", {7, 274, 481, 78}},
          {id::kGameTable, K::kListView, "", {25, 283, 451, 63}},
          // The GPU group is laid out but never shown.
          {0, K::kGroupBox, "GPU检测", {7, 312, 481, 35}, style::kHidden},
          {0, K::kLabel, "GPU个数:", {32, 326, 46, 15}, style::kHidden | style::kCentred},
          {id::kGpuUsageLabel, K::kLabel, "0", {278, 326, 36, 15}, style::kHidden | style::kCentred},
          {0, K::kLabel, "GPU使用率:", {223, 326, 46, 15}, style::kHidden | style::kCentred},
          {id::kGpuCountLabel, K::kLabel, "0", {81, 326, 36, 15}, style::kHidden | style::kCentred},
          {0, K::kEtchedLine, "", {209, 316, 1, 30}, style::kHidden},
          {id::kPubgButton, K::kPushButton, "PUBG", {193, 259, 38, 13}},
          {id::kLolStatusButton, K::kPushButton, "LOL状态", {270, 259, 38, 13}},
          {id::kExportButton, K::kPushButton, "导出配置", {285, 365, 50, 14}},
          {id::kImportButton, K::kPushButton, "导入配置", {110, 366, 50, 14}},
      }};
  return dialog;
}

const DialogTemplate& AboutDialogTemplate() {
  static const DialogTemplate dialog{.id = id::kAboutDialog,
                                     .caption = "关于 QUORIX_NET_CHECK",
                                     .widthDu = 223,
                                     .heightDu = 244,
                                     .font = {.pointSize = 9},
                                     .controls = {
                                         {0, K::kLabel, "网络质量检测，1.0 版", {7, 229, 114, 8}},
                                         {id::kOk, K::kPushButton, "确定", {166, 223, 50, 14}, style::kDefaultButton},
                                         {0, K::kPicture, "", {7, 7, 0, 0}, 0, id::kAboutPicture},
                                     }};
  return dialog;
}

// OK comes first in tab order in both input boxes; the box opens with the
// focus in its (first) edit, so typing goes there at once.
const DialogTemplate& AddHostDialogTemplate() {
  static const DialogTemplate dialog{.id = id::kAddHostDialog,
                                     .caption = "dns测试",
                                     .widthDu = 263,
                                     .heightDu = 70,
                                     .font = kSmallWindowFont,
                                     .focusId = id::kInputEdit,
                                     .controls = {
                                         {id::kOk, K::kPushButton, "确定", {103, 49, 50, 14}, style::kDefaultButton},
                                         {0, K::kLabel, "域名或者IP", {35, 25, 64, 22}, style::kCentred},
                                         {id::kInputEdit, K::kEdit, "", {103, 22, 97, 17}},
                                     }};
  return dialog;
}

const DialogTemplate& GameServerDialogTemplate() {
  static const DialogTemplate dialog{.id = id::kGameServerDialog,
                                     .caption = "添加游戏服务器",
                                     .widthDu = 359,
                                     .heightDu = 85,
                                     .font = kSmallWindowFont,
                                     .focusId = id::kInputEdit,
                                     .controls = {
                                         {id::kOk, K::kPushButton, "确定", {118, 62, 50, 14}, style::kDefaultButton},
                                         {0, K::kLabel, "游戏服务器", {35, 13, 77, 15}, style::kCentred},
                                         {id::kInputEdit, K::kEdit, "", {119, 9, 92, 18}},
                                         {0, K::kLabel, "服务器描述", {37, 41, 77, 15}, style::kCentred},
                                         {id::kDescriptionEdit, K::kEdit, "", {119, 36, 92, 18}},
                                         {0, K::kLabel, "域名：端口(如 8.8.8.8:999),默认80", {217, 14, 135, 14}},
                                     }};
  return dialog;
}

const DialogTemplate& WebPageDialogTemplate() {
  static const DialogTemplate dialog{.id = id::kWebPageDialog,
                                     .caption = "PUBG",
                                     .widthDu = 574,
                                     .heightDu = 426,
                                     .font = kSmallWindowFont,
                                     .controls = {
                                         {id::kWebBrowser, K::kWebBrowser, "", {0, 0, 573, 425}},
                                     }};
  return dialog;
}

}  // namespace qnc
