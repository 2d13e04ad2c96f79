#include "app/MainForm.h"

#include <future>
#include <thread>

#include "actions/TextCipher.h"
#include "app/resource.h"
#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "platform/ErrorGuard.h"
#include "platform/win32/Controls.h"
#include "platform/win32/Dpi.h"
#include "platform/win32/Wide.h"
#include "storage/SchemeFile.h"
#include "storage/SettingsFile.h"

namespace tav {

namespace {

constexpr int kClientWidth = 364;
constexpr int kClientHeight = 405;
constexpr int kButtonPanelHeight = 40;
constexpr const char* kCaption = kApplicationTitle;
constexpr const wchar_t* kPausedCaption = L"开始工作";
constexpr const wchar_t* kRunningCaption = L"停止工作";

HICON LoadSmallIcon(int id) {
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON,
                                       GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                       0));
}

bool KeyHeld(int virtualKey) {
  return (GetKeyState(virtualKey) & 0x8000) != 0;
}

}  // namespace

TMainForm::TMainForm(Win32Platform& platform, std::string programDirectory, TfrmLogin& login,
                     SchemeState& scheme)
    : platform_(platform),
      programDirectory_(std::move(programDirectory)),
      service_(platform),
      login_(login),
      scheme_(scheme) {}

TMainForm::~TMainForm() = default;

bool TMainForm::Create() {
  normalIcon_.reset(LoadSmallIcon(IDI_TRAY_NORMAL));
  pausedIcon_.reset(LoadSmallIcon(IDI_TRAY_PAUSED));
  RECT frame{0, 0, kClientWidth, kClientHeight};
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  AdjustWindowRectEx(&frame, style, TRUE, 0);
  if (!CreateWindowOfClass(kClassName, Widen(kCaption).c_str(), style, 0, frame.right - frame.left,
                           frame.bottom - frame.top, normalIcon_.get())) {
    return false;
  }
  platform_.SetMainWindow(hwnd());
  dispatcher_ = std::make_unique<ActionDispatcher>(platform_, *this);
  FormCreate();
  return true;
}

void TMainForm::FormCreate() {
  service_.set_paused(false);
  SetText(hwnd(), kCaption);
  CreateMenus();
  CreateControls();
  taskbarCreatedMessage_ = RegisterWindowMessageW(L"TaskbarCreated");
  tray_ = std::make_unique<TrayIcon>(hwnd(), kTrayMessage, normalIcon_.get(), L"Tavrelin");
  RunGuarded(platform_, [&] { OpenScheme(DefaultSchemePath()); });
}

void TMainForm::CreateMenus() {
  HMENU menuBar = CreateMenu();
  fileMenu_ = CreatePopupMenu();
  AppendMenuW(fileMenu_, MF_STRING, IDM_STOP, L"暂停工作");
  AppendMenuW(fileMenu_, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(fileMenu_, MF_STRING, IDM_EXIT, L"退出");
  AppendMenuW(menuBar, MF_POPUP, reinterpret_cast<UINT_PTR>(fileMenu_), L"文件");
  SetMenu(hwnd(), menuBar);

  trayMenu_.reset(CreatePopupMenu());
  AppendMenuW(trayMenu_.get(), MF_STRING, IDM_SHOW, L"显示主窗体");
  AppendMenuW(trayMenu_.get(), MF_STRING, IDM_STOP, L"暂停工作");
  AppendMenuW(trayMenu_.get(), MF_SEPARATOR, 0, nullptr);
  AppendMenuW(trayMenu_.get(), MF_STRING, IDM_EXIT, L"退出");
}

void TMainForm::CreateControls() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  const int listHeight = kClientHeight - kButtonPanelHeight;
  groupBox_ = CreateWindowExW(0, L"BUTTON", L"设置热键", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 4, 2,
                              kClientWidth - 8, listHeight - 4, hwnd(), nullptr, instance, nullptr);
  listView_ =
      CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                      WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, 10, 20,
                      kClientWidth - 20, listHeight - 30, hwnd(), nullptr, instance, nullptr);
  ListView_SetExtendedListViewStyle(listView_, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
  for (HWND control : {groupBox_, listView_}) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont(DpiForWindow(hwnd()))), TRUE);
  }
  InsertListColumn(listView_, 0, "热键", 100);
  InsertListColumn(listView_, 1, "程序位置/操作", 185);
  InsertListColumn(listView_, 2, "类别", 65);
}

bool TMainForm::OpenScheme(const std::string& path) {
  if (login_.IsShowing()) return false;
  if (!FileExists(path)) {
    platform_.MessageBox("配置文件“" + FileNameOf(path) + "”不存在", "",
                         mb::kOk | mb::kIconWarning);
    return false;
  }
  const std::string caption = path == DefaultSchemePath()
                                  ? std::string(kCaption) + " -> 默认设置"
                                  : std::string(kCaption) + "->" + FileNameOf(path);
  const std::string digest = ReadSchemeDigest(path);
  if (!digest.empty()) {
    if (digest != DigestOfRememberedPassword() &&
        !login_.Run(digest, /*checkOnly=*/false, VisibleWindow())) {
      return false;
    }
    scheme_.isProtected = true;
  } else {
    scheme_.isProtected = false;
  }
  scheme_.activePath = path;
  SetText(hwnd(), caption);
  Reload();
  return true;
}

std::string TMainForm::DigestOfRememberedPassword() const {
  try {
    return DigestText(scheme_.rememberedPassword);
  } catch (const EncodingError&) {
    return std::string();  // matches no stored digest
  }
}

HWND TMainForm::VisibleWindow() const {
  return IsWindowVisible(hwnd()) ? hwnd() : nullptr;
}

void TMainForm::Reload() {
  ResetAndLoad();
  service_.RegisterAll();
}

void TMainForm::ResetAndLoad() {
  tray_->SetIcon(service_.paused() ? pausedIcon_.get() : normalIcon_.get());
  service_.ResetSlots();
  std::vector<HotkeyListItem> items;
  try {
    TextDecryptor decrypt;
    if (scheme_.isProtected) {
      decrypt = [password = scheme_.rememberedPassword](const std::string& cipherText) {
        return DecryptText(password, cipherText);
      };
    }
    LoadEntries(scheme_.activePath, decrypt, service_.slots(), items);
  } catch (...) {
    FillList(items);  // the entries read before the error stay listed
    throw;
  }
  FillList(items);
}

void TMainForm::FillList(const std::vector<HotkeyListItem>& items) {
  ListView_DeleteAllItems(listView_);
  for (const HotkeyListItem& item : items) {
    InsertListRow(listView_, ListView_GetItemCount(listView_),
                  {item.caption, item.action, item.category}, item.slot);
  }
}

void TMainForm::MStop_NClick() {
  service_.UnregisterHotkeys(false);
  if (service_.paused()) {
    SetPauseItems(kRunningCaption);
    service_.set_paused(false);
    tray_->SetIcon(normalIcon_.get());
    SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(normalIcon_.get()));
    OpenScheme(scheme_.activePath);
  } else {
    SetPauseItems(kPausedCaption);
    service_.set_paused(true);
    tray_->SetIcon(pausedIcon_.get());
    SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(pausedIcon_.get()));
  }
}

void TMainForm::SetPauseItems(const wchar_t* caption) {
  for (HMENU menu : {fileMenu_, trayMenu_.get()}) {
    ModifyMenuW(menu, IDM_STOP, MF_BYCOMMAND | MF_STRING, IDM_STOP, caption);
  }
  DrawMenuBar(hwnd());
}

void TMainForm::ShowMainWindow() {
  if (login_.IsShowing() || IsWindowVisible(hwnd())) return;
  const std::string digest = ReadAccessPasswordDigest(programDirectory_);
  if (!digest.empty() && !login_.Run(digest, /*checkOnly=*/true, nullptr)) return;
  ShowWindow(hwnd(), SW_RESTORE);
  ShowWindow(hwnd(), SW_SHOWNORMAL);
  SetForegroundWindow(hwnd());
}

void TMainForm::CloseMainWindow() {
  PostMessageW(hwnd(), WM_CLOSE, 0, 0);
}

void TMainForm::RegisterAll() {
  service_.RegisterAll();
  // A paste from a script that runs on while the hotkeys are paused must
  // not bring them back.
  if (service_.paused()) service_.UnregisterHotkeys(false);
}

void TMainForm::ReleaseModifiers() {
  for (uint8_t key : {VK_SHIFT, VK_CONTROL, VK_MENU}) platform_.KeybdEvent(key, 0, kKeyEventKeyUp);
}

void TMainForm::RunAction(const std::string& action) {
  dispatcher_->RunAction(action);
}

bool TMainForm::StopActions(std::chrono::milliseconds timeout) {
  if (!dispatcher_) return true;
  dispatcher_->RequestStop();
  // A run may be held by a message box of its own; the program does not wait
  // for it longer than the timeout.
  auto ended = std::make_shared<std::promise<void>>();
  std::future<void> done = ended->get_future();
  std::thread([dispatcher = dispatcher_.get(), ended] {
    dispatcher->WaitForRuns();
    ended->set_value();
  }).detach();
  return done.wait_for(timeout) == std::future_status::ready;
}

void TMainForm::WMHotkey(LPARAM lParam) {
  const int slot = service_.FindSlot(LOWORD(lParam), HIWORD(lParam));
  if (slot < 0) return;
  // A copy: the action may reload the scheme and so change the slot.
  const std::string action = service_.slots()[slot].action;
  RunAction(action);
}

bool TMainForm::WMSysCommand(WPARAM wParam) {
  const UINT command = static_cast<UINT>(wParam & 0xFFF0);
  // The close box only sends the window to the tray.
  if (command == SC_CLOSE || command == SC_MINIMIZE) {
    ShowWindow(hwnd(), SW_HIDE);
    return true;
  }
  return false;
}

void TMainForm::TrayIconMessage(LPARAM lParam) {
  switch (static_cast<UINT>(lParam)) {
    case WM_LBUTTONDBLCLK:
      ShowMainWindow();
      break;
    case WM_LBUTTONUP:
      // Ctrl is looked at first: Ctrl+Alt pauses and the program goes on.
      if (KeyHeld(VK_CONTROL)) {
        MStop_NClick();
      } else if (KeyHeld(VK_MENU)) {
        CloseMainWindow();
      }
      break;
    case WM_RBUTTONUP:
      ShowTrayMenu();
      break;
    default:
      break;
  }
}

void TMainForm::ShowTrayMenu() {
  POINT cursor;
  GetCursorPos(&cursor);
  SetForegroundWindow(hwnd());
  TrackPopupMenu(trayMenu_.get(), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, hwnd(), nullptr);
  PostMessageW(hwnd(), WM_NULL, 0, 0);
}

void TMainForm::OnCommand(int id) {
  switch (id) {
    case IDM_STOP:
      MStop_NClick();
      break;
    case IDM_EXIT:
      CloseMainWindow();
      break;
    case IDM_SHOW:
      ShowMainWindow();
      break;
    default:
      break;
  }
}

void TMainForm::FormClose() {
  service_.UnregisterHotkeys(true);
  if (dispatcher_) dispatcher_->RequestStop();
  platform_.BeginShutdown();
  tray_.reset();
  DestroyWindow(hwnd());
}

LRESULT TMainForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_HOTKEY:
      RunGuarded(platform_, [&] { WMHotkey(lParam); });
      return 0;
    case WM_SYSCOMMAND:
      if (WMSysCommand(wParam)) return 0;
      break;
    case WM_COMMAND:
      RunGuarded(platform_, [&] { OnCommand(LOWORD(wParam)); });
      return 0;
    case kTrayMessage:
      RunGuarded(platform_, [&] { TrayIconMessage(lParam); });
      return 0;
    case Win32Platform::kRunCallMessage:
      RunGuarded(platform_, [&] { Win32Platform::RunPendingCall(lParam); });
      return 0;
    case WM_CLOSE:
      FormClose();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      if (message == taskbarCreatedMessage_ && tray_) tray_->Restore();
      break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace tav
