#pragma once

namespace qnc {

// The numeric ids of the windows, controls, menus and commands (the LAN test
// window's are in views/templates/lan_test_template.h). A front end keeps each control's
// id where a test can find the control by it (Qt: its objectName).
namespace id {
// Dialog templates.
inline constexpr int kAboutDialog = 100;
inline constexpr int kMainDialog = 102;
inline constexpr int kAddHostDialog = 131;
inline constexpr int kGameServerDialog = 136;
inline constexpr int kWebPageDialog = 138;

// The standard OK button of the input boxes and the About box, and the
// cancel command, which ends a window's run.
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;

// The notification-area icon and the About box's picture.
inline constexpr int kTrayIcon = 128;
inline constexpr int kAboutPicture = 132;

// Main window controls.
inline constexpr int kPingTable = 1000;
inline constexpr int kDnsTable = 1001;
inline constexpr int kDnsServerEdit = 1002;
inline constexpr int kConfirmDnsButton = 1003;
inline constexpr int kRetestPingButton = 1004;
inline constexpr int kRetestDnsButton = 1005;
inline constexpr int kAboutButton = 1006;
inline constexpr int kPubgButton = 1007;
inline constexpr int kGameTable = 1008;
inline constexpr int kGpuUsageLabel = 1009;
inline constexpr int kGpuCountLabel = 1010;
inline constexpr int kLolStatusButton = 1011;
inline constexpr int kExportButton = 1013;
inline constexpr int kImportButton = 1014;

// Input box edits.
inline constexpr int kInputEdit = 1001;
inline constexpr int kDescriptionEdit = 1002;

// The web-page window's browser.
inline constexpr int kWebBrowser = 1010;

// Menus.
inline constexpr int kDnsTableMenu = 130;
inline constexpr int kPingTableMenu = 131;
inline constexpr int kGameTableMenu = 137;
inline constexpr int kMainMenuBar = 140;

// Commands.
inline constexpr int kAddPing = 32771;
inline constexpr int kDeletePing = 32772;
inline constexpr int kAddDomain = 32773;
inline constexpr int kDeleteDomain = 32774;
inline constexpr int kAddGameServer = 32777;
inline constexpr int kDeleteGameServer = 32778;
inline constexpr int kCheckMenu = 32780;
inline constexpr int kLanServer = 32783;
inline constexpr int kLanClient = 32784;
// The About item that the main window appends to its system menu, where the
// platform lets a program add one.
inline constexpr int kAboutSystemCommand = 0x10;
}  // namespace id

// The main window's title; start-up also names its single-instance lock after it.
inline constexpr const char* kMainWindowTitle = "Quorix路由测试工具";
// The text of the system menu's About item (access key A).
inline constexpr const char* kAboutSystemMenuText = "关于 QUORIX_NET_CHECK(&A)...";

}  // namespace qnc
