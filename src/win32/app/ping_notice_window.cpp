#include "win32/app/ping_notice_window.h"

#include "views/templates/ping_notice_template.h"

namespace qnc {

namespace {

// A multi-line edit breaks lines only at CR LF.
std::string WithEditLineBreaks(const std::string& text) {
  std::string result;
  for (const char each : text) {
    if (each == '\n') result += '\r';
    result += each;
  }
  return result;
}

}  // namespace

PingNoticeWindow::PingNoticeWindow(std::string notice, std::string reason)
    : TemplateDialog(PingNoticeDialogTemplate()), notice_(std::move(notice)), reason_(std::move(reason)) {}

void PingNoticeWindow::OnInitDialog() {
  SetControlText(id::kPingNoticeText, WithEditLineBreaks(notice_ + "\n\n详细信息：" + reason_));
}

}  // namespace qnc
