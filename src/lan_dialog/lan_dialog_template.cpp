#include "lan_dialog/lan_dialog_template.h"

namespace qnc {

namespace {

constexpr LanControlTemplate kControls[] = {
    {kLanParameterGroup, LanControlKind::kGroupBox, "", {12, 11, 410, 110}},
    {kLanServerAddressLabel, LanControlKind::kLabel, "服务器IP:", {29, 39, 54, 11}},
    {kLanServerAddressEdit, LanControlKind::kLineEdit, "", {89, 37, 115, 14}},
    {kLanClientPortLabel, LanControlKind::kLabel, "端口:", {232, 38, 31, 11}},
    {kLanClientPortEdit, LanControlKind::kLineEdit, "", {267, 37, 49, 14}},
    {kLanStartStopButton, LanControlKind::kPushButton, kStartText, {331, 36, 64, 14}},
    {kLanModeLabel, LanControlKind::kLabel, "IN/OUT:", {29, 68, 48, 11}},
    {kLanModeList, LanControlKind::kDropDownList, "", {88, 67, 118, 89}},
    {kLanServerPortLabel, LanControlKind::kLabel, "服务器端口:", {38, 64, 64, 11}},
    {kLanServerPortEdit, LanControlKind::kLineEdit, "", {114, 61, 96, 17}},
    {kLanChangePortButton, LanControlKind::kPushButton, "修改端口", {232, 62, 64, 14}},
    {kLanThreadCountLabel, LanControlKind::kLabel, "线程数:", {29, 97, 48, 11}},
    {kLanThreadCountList, LanControlKind::kDropDownList, "", {88, 97, 120, 68}},
    {kLanLogEdit, LanControlKind::kLogEdit, "", {13, 133, 407, 109}},
};

}  // namespace

std::span<const LanControlTemplate> LanDialogControls() { return kControls; }

}  // namespace qnc
