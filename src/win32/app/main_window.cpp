#include "win32/app/main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "core/config/config_file.h"
#include "platform/icmp_socket.h"
#include "platform/ip_config.h"
#include "views/commands/server_box_problem.h"
#include "views/templates/control_ids.h"
#include "views/templates/menu_templates.h"
#include "views/templates/page_addresses.h"
#include "views/templates/window_templates.h"
#include "win32/app/about_dlg.h"
#include "win32/app/clipboard_text.h"
#include "win32/app/resource_ids.h"
#include "win32/app/window_messages.h"
#include "win32/widgets/menu_handles.h"
#include "win32/widgets/wide_text.h"

namespace qnc {

namespace {

// How long the end of the window waits for the workers; a worker still in a
// blocking call after that ends with the process.
constexpr std::chrono::milliseconds kWorkerStopLimit{3000};

const MenuTemplate& TableMenu(TableKind kind) {
  switch (kind) {
    case TableKind::kDns:
      return DnsTableMenuTemplate();
    case TableKind::kPing:
      return PingTableMenuTemplate();
    case TableKind::kGame:
      break;
  }
  return GameTableMenuTemplate();
}

HICON LoadIconSized(HINSTANCE resources, int id, int widthMetric, int heightMetric) {
  return static_cast<HICON>(LoadImageW(resources, MAKEINTRESOURCEW(id), IMAGE_ICON, GetSystemMetrics(widthMetric),
                                       GetSystemMetrics(heightMetric), 0));
}

}  // namespace

CQUORIX_NET_CHECKDlg::CQUORIX_NET_CHECKDlg(HINSTANCE resources, std::string fixedConfigPath,
                                           std::string startupConfigPath, IcmpCheck icmpCheck)
    : TemplateDialog(MainDialogTemplate()),
      resources_(resources),
      startupConfigPath_(std::move(startupConfigPath)),
      icmpCheck_(std::move(icmpCheck)),
      core_(sessionOptions_),
      lists_(core_.Session()),
      ui_(
          resources, [this] { return Handle(); }, [this](TableKind kind) { return lists_.SelectionMark(kind); }),
      commands_(core_.Session(), ui_, std::move(fixedConfigPath)) {}

CQUORIX_NET_CHECKDlg::~CQUORIX_NET_CHECKDlg() {
  StopWorkers();
  if (bigIcon_ != nullptr) DestroyIcon(bigIcon_);
  if (smallIcon_ != nullptr) DestroyIcon(smallIcon_);
  if (invalidServerBoxBrush_ != nullptr) DeleteObject(invalidServerBoxBrush_);
}

void CQUORIX_NET_CHECKDlg::OnInitDialog() {
  SetIcons();
  AddAboutToSystemMenu();
  tray_ = std::make_unique<TrayIcon>(Handle(), resources_);
  core_.Session().AddDefaultRows();
  // The file replaces the default rows of the tables it holds.
  core_.Session().ApplyConfig(ReadConfig(startupConfigPath_));
  lists_.Attach(Handle());
  HWND window = Handle();
  history_ = std::make_unique<HistoryWindows>(core_.Session(), FindGatewayAddress(),
                                              [window] { PostMessageW(window, message::kHistoryWindowClosed, 0, 0); });
  CheckPingRights();
  ListenToWorkers();
  core_.StartWorkers();
}

void CQUORIX_NET_CHECKDlg::SetIcons() {
  bigIcon_ = LoadIconSized(resources_, resource::kWindowIcon, SM_CXICON, SM_CYICON);
  smallIcon_ = LoadIconSized(resources_, resource::kWindowIcon, SM_CXSMICON, SM_CYSMICON);
  SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
  SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
}

void CQUORIX_NET_CHECKDlg::AddAboutToSystemMenu() {
  HMENU menu = GetSystemMenu(Handle(), FALSE);
  if (menu == nullptr) return;
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, id::kAboutSystemCommand, Utf16(kAboutSystemMenuText).c_str());
}

void CQUORIX_NET_CHECKDlg::ListenToWorkers() {
  // On the workers' threads: each notice is posted to the window, which
  // reads the newest text when it gets there.
  HWND window = Handle();
  core_.Listen(WorkerNotices{
      .serverTextChanged = [window] { PostMessageW(window, message::kServerTextChanged, 0, 0); },
      .gpuLabelChanged = [window](int label,
                                  const std::string&) { PostMessageW(window, message::kGpuTextChanged, label, 0); },
  });
}

void CQUORIX_NET_CHECKDlg::CheckPingRights() {
  const std::optional<std::string> reason = icmpCheck_ ? icmpCheck_() : IcmpUnavailableReason();
  if (!reason) return;
  const std::string notice = AdministratorPingPermissionText();
  lists_.SetTableNotice(TableKind::kPing, notice);
  pingNotice_ = std::make_unique<PingNoticeWindow>(notice, *reason);
  // Opened once the window shows, so that the notice comes up over it.
  PostMessageW(Handle(), message::kOpenPingNotice, 0, 0);
}

void CQUORIX_NET_CHECKDlg::StopWorkers() {
  if (workersStopped_) return;
  workersStopped_ = true;
  if (!core_.StopWorkers(kWorkerStopLimit)) {
    // A worker stuck in a system call must not keep the program alive.
    std::fflush(nullptr);
    std::_Exit(0);
  }
  lists_.Detach();
  core_.StopListening();
}

void CQUORIX_NET_CHECKDlg::RunTableCommand(void (WindowCommands::*command)(TableKind), TableKind kind) {
  (commands_.*command)(kind);
  if (command == &WindowCommands::DeleteSelectedRow) {
    lists_.ClearSelection(kind);
    history_->CheckRows();
  }
  lists_.SyncAll();
}

void CQUORIX_NET_CHECKDlg::OnCommand(int id, int notifyCode, HWND control) {
  switch (id) {
    case id::kAddDomain:
      return RunTableCommand(&WindowCommands::AddRow, TableKind::kDns);
    case id::kDeleteDomain:
      return RunTableCommand(&WindowCommands::DeleteSelectedRow, TableKind::kDns);
    case id::kAddPing:
      return RunTableCommand(&WindowCommands::AddRow, TableKind::kPing);
    case id::kDeletePing:
      return RunTableCommand(&WindowCommands::DeleteSelectedRow, TableKind::kPing);
    case id::kAddGameServer:
      return RunTableCommand(&WindowCommands::AddRow, TableKind::kGame);
    case id::kDeleteGameServer:
      return RunTableCommand(&WindowCommands::DeleteSelectedRow, TableKind::kGame);
    case id::kConfirmDnsButton:
    case id::kRetestDnsButton:
      return commands_.RetestDns();
    case id::kRetestPingButton:
      return commands_.RetestPing();
    case id::kDnsServerEdit:
      // Every change of the box, typed or set by the worker, restarts the DNS counters.
      if (notifyCode == EN_CHANGE) {
        const std::string text = ControlText(id::kDnsServerEdit);
        commands_.DnsServerEdited(text);
        MarkServerBox(text);
      }
      return;
    case id::kAboutButton:
      return RunAbout();
    case id::kPubgButton:
      return OpenPage(kPubgPageAddress);
    case id::kLolStatusButton:
      return OpenPage(kLolStatusPageAddress);
    case id::kExportButton:
      return commands_.ExportConfig();
    case id::kImportButton:
      commands_.ImportConfig();
      history_->CheckRows();
      return lists_.SyncAll();
    case id::kCheckMenu:
      history_->OpenDiagnosis(Handle(), resources_);
      return;
    case id::kLanServer:
      return commands_.OpenLanServer();
    case id::kLanClient:
      return commands_.OpenLanClient();
    case id::kOk:
      return;  // Enter does nothing in this window
    case id::kCancel:
      // Esc, or the tray menu's item: the end of the program. The workers
      // stop while the window still exists, so nothing they post is lost on
      // a window that is gone.
      StopWorkers();
      if (tray_ != nullptr) tray_->Remove();
      return End(id::kCancel);
    default:
      TemplateDialog::OnCommand(id, notifyCode, control);
  }
}

std::optional<LRESULT> CQUORIX_NET_CHECKDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case message::kCellsChanged:
      if (wParam < kAllTables.size()) lists_.OnCellsChanged(kAllTables[wParam]);
      return 0;
    case message::kHistoryWindowClosed:
      history_->ForgetClosed();
      return 0;
    case message::kOpenPingNotice:
      if (pingNotice_ != nullptr) pingNotice_->OpenModeless(Handle(), resources_);
      return 0;
    case message::kServerTextChanged:
      ShowWorkerServerText();
      return 0;
    case message::kGpuTextChanged: {
      const int label = static_cast<int>(wParam);
      SetControlText(label, core_.GpuLabelText(label));
      return 0;
    }
    case message::kTrayNotify:
      // Shares its number with DM_SETDEFID: only the icon's own id is ours.
      if (wParam != static_cast<WPARAM>(id::kTrayIcon)) return std::nullopt;
      OnTrayNotify(lParam);
      return 0;
    case WM_CTLCOLOREDIT: {
      if (!serverBoxInvalid_ || reinterpret_cast<HWND>(lParam) != Control(id::kDnsServerEdit)) return std::nullopt;
      constexpr COLORREF kColour =
          RGB((kInvalidServerBoxRgb >> 16) & 0xFF, (kInvalidServerBoxRgb >> 8) & 0xFF, kInvalidServerBoxRgb & 0xFF);
      if (invalidServerBoxBrush_ == nullptr) invalidServerBoxBrush_ = CreateSolidBrush(kColour);
      SetBkColor(reinterpret_cast<HDC>(wParam), kColour);
      return reinterpret_cast<LRESULT>(invalidServerBoxBrush_);
    }
    case WM_SYSCOMMAND:
      if (OnSysCommand(wParam)) return 0;
      return std::nullopt;
    case WM_NOTIFY: {
      LRESULT result = 0;
      bool handled = false;
      OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result, handled);
      if (handled) return result;
      return std::nullopt;
    }
    case WM_SIZE:
      // Back from minimised by the user while the icon waited for a task
      // bar: the window is here again, so the icon is no longer wanted.
      if ((wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED) && tray_ != nullptr && tray_->Wanted() &&
          IsWindowVisible(Handle()) != FALSE) {
        tray_->Remove();
      }
      return std::nullopt;
    case WM_DESTROY:
      StopWorkers();
      if (tray_ != nullptr) tray_->Remove();
      return std::nullopt;
    default:
      if (message == taskbarCreated_ && tray_ != nullptr) tray_->OnTaskbarCreated();
      return std::nullopt;
  }
}

bool CQUORIX_NET_CHECKDlg::OnSysCommand(WPARAM command) {
  if ((command & 0xFFF0) == static_cast<WPARAM>(id::kAboutSystemCommand)) {
    RunAbout();
    return true;
  }
  if (command == SC_CLOSE) {
    // The close box puts the window into the notification area; only the
    // cancel command ends it. Without a task bar to take the icon (Explorer
    // not running) a hidden window could not be brought back: it is
    // minimised instead, and the icon still goes in once a task bar comes.
    ShowWindow(Handle(), tray_->Add() ? SW_HIDE : SW_MINIMIZE);
    return true;
  }
  return false;
}

void CQUORIX_NET_CHECKDlg::OnTrayNotify(LPARAM mouseEvent) {
  if (mouseEvent == WM_LBUTTONDBLCLK) {
    // Back as it was: normal, active and where it stood.
    ShowWindow(Handle(), IsIconic(Handle()) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(Handle());
    tray_->Remove();
  } else if (mouseEvent == WM_RBUTTONUP) {
    // The save comes first and reports nothing: the menu opens either way.
    commands_.SaveFixedFile();
    lists_.SyncAll();
    POINT cursor{};
    GetCursorPos(&cursor);
    ShowPopupMenu(TrayMenuTemplate(), Handle(), cursor, TPM_LEFTALIGN | TPM_LEFTBUTTON);
  }
}

void CQUORIX_NET_CHECKDlg::OnNotify(const NMHDR& header, LRESULT& result, bool& handled) {
  TableKind kind{};
  if (!TableLists::KindOfControl(static_cast<int>(header.idFrom), kind)) return;
  if (header.code == LVN_GETDISPINFOW) {
    lists_.FillDisplayInfo(kind, *reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header)));
    handled = true;
  } else if (header.code == static_cast<UINT>(NM_RCLICK)) {
    // Opens wherever the click lands, on a row or below the last one.
    POINT cursor{};
    GetCursorPos(&cursor);
    ShowPopupMenu(TableMenu(kind), Handle(), cursor, TPM_LEFTALIGN | TPM_RIGHTBUTTON);
    handled = true;
  } else if (header.code == static_cast<UINT>(NM_DBLCLK)) {
    const int row = reinterpret_cast<const NMITEMACTIVATE*>(&header)->iItem;
    if (row >= 0) history_->OpenRowDetails(kind, row, Handle(), resources_);
    handled = true;
  } else if (header.code == LVN_GETINFOTIPW) {
    lists_.FillInfoTip(kind, *reinterpret_cast<NMLVGETINFOTIPW*>(const_cast<NMHDR*>(&header)));
    handled = true;
  } else if (header.code == LVN_KEYDOWN) {
    const auto& key = *reinterpret_cast<const NMLVKEYDOWN*>(&header);
    if (key.wVKey == 'C' && GetKeyState(VK_CONTROL) < 0) {
      CopyRows(kind);
      handled = true;
    }
  }
  result = 0;
}

void CQUORIX_NET_CHECKDlg::MarkServerBox(const std::string& text) {
  // The box turns red and every DNS row's tip says why: their figures stand
  // still until the box names a server again.
  const std::string problem = ServerBoxProblem(text);
  lists_.SetTableNotice(TableKind::kDns, problem);
  serverBoxInvalid_ = !problem.empty();
  InvalidateRect(Control(id::kDnsServerEdit), nullptr, TRUE);
}

void CQUORIX_NET_CHECKDlg::CopyRows(TableKind kind) { PutTextOnClipboard(Handle(), lists_.CopyText(kind)); }

void CQUORIX_NET_CHECKDlg::ShowWorkerServerText() {
  const std::string text = core_.TakeServerText();
  // A change of the box restarts the DNS counters, as a typed one does.
  if (ControlText(id::kDnsServerEdit) != text) SetControlText(id::kDnsServerEdit, text);
  MarkServerBox(text);  // also when the system names no server and the box stays empty
}

void CQUORIX_NET_CHECKDlg::RunAbout() {
  CAboutDlg box;
  box.RunModal(Handle(), resources_);
}

void CQUORIX_NET_CHECKDlg::OpenPage(const char* address) {
  // No embedded browser here: the page opens in the user's default browser.
  ShellExecuteW(Handle(), L"open", Utf16(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace qnc
