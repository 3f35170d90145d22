#include "views/templates/ping_notice_template.h"

#include "views/templates/control_ids.h"

namespace qnc {

const DialogTemplate& PingNoticeDialogTemplate() {
  using K = ControlKind;
  static const DialogTemplate dialog{
      .id = id::kPingNoticeDialog,
      .caption = "无法发送 ping",
      .widthDu = 300,
      .heightDu = 176,
      .font = {.pointSize = 9},
      .focusId = id::kOk,
      .controls = {
          {id::kPingNoticeText, K::kEdit, "", {7, 7, 286, 142}, style::kMultiLine | style::kReadOnly},
          {id::kOk, K::kPushButton, "确定", {243, 155, 50, 14}, style::kDefaultButton},
      }};
  return dialog;
}

}  // namespace qnc
