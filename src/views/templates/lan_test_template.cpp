#include "views/templates/lan_test_template.h"

namespace qnc {

using K = ControlKind;

const DialogTemplate& LanTestDialogTemplate() {
  static const DialogTemplate dialog{
      .id = 0,
      .caption = "",
      .widthDu = 446,
      .heightDu = 263,
      .font = {.pointSize = 8},
      .controls = {
          {id::kLanParameterGroup, K::kGroupBox, "", {12, 11, 410, 110}},
          {id::kLanServerAddressLabel, K::kLabel, "服务器IP:", {29, 39, 54, 11}},
          {id::kLanServerAddressEdit, K::kEdit, "", {89, 37, 115, 14}},
          {id::kLanClientPortLabel, K::kLabel, "端口:", {232, 38, 31, 11}},
          {id::kLanClientPortEdit, K::kEdit, "", {267, 37, 49, 14}},
          {id::kLanStartStopButton, K::kPushButton, lan_window::kStartText.data(), {331, 36, 64, 14}},
          {id::kLanModeLabel, K::kLabel, "IN/OUT:", {29, 68, 48, 11}},
          {id::kLanModeList, K::kDropDownList, "", {88, 67, 118, 89}},
          {id::kLanServerPortLabel, K::kLabel, "服务器端口:", {38, 64, 64, 11}},
          {id::kLanServerPortEdit, K::kEdit, "", {114, 61, 96, 17}},
          {id::kLanChangePortButton, K::kPushButton, "修改端口", {232, 62, 64, 14}},
          {id::kLanThreadCountLabel, K::kLabel, "线程数:", {29, 97, 48, 11}},
          {id::kLanThreadCountList, K::kDropDownList, "", {88, 97, 120, 68}},
          {id::kLanLogEdit,
           K::kEdit,
           "",
           {13, 133, 407, 109},
           style::kMultiLine | style::kReadOnly | style::kHorizontalScrollBar},
      }};
  return dialog;
}

}  // namespace qnc
