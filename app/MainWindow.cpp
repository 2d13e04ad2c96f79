#include "app/MainWindow.h"

#include <algorithm>
#include <cstring>
#include <future>
#include <span>
#include <thread>

#include "actions/SendKeys.h"
#include "actions/TextCipher.h"
#include "app/EditorHost.h"
#include "app/ListFilter.h"
#include "app/PassThrough.h"
#include "app/SingleInstance.h"
#include "base/AsciiText.h"
#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/FileSystem.h"
#include "dialogs/SetPasswordDialog.h"
#include "dialogs/SettingsDialog.h"
#include "dialogs/model/LegacyUpdate.h"
#include "help/AboutBox.h"
#include "help/HelpBinding.h"
#include "help/HelpTopics.h"
#include "platform/ErrorGuard.h"
#include "platform/win32/Commands.h"
#include "platform/win32/Controls.h"
#include "platform/win32/Dpi.h"
#include "platform/win32/Elevation.h"
#include "platform/win32/FileIcons.h"
#include "platform/win32/Wide.h"
#include "res/resource.h"
#include "storage/KeyText.h"
#include "storage/SchemeFile.h"
#include "storage/SettingsFile.h"

namespace tav {

namespace {

constexpr int kClientWidth = 364;
constexpr int kClientHeight = 405;
constexpr const char* kCaption = kApplicationTitle;
constexpr const char* kPausedCaption = "开始工作";
constexpr const char* kRunningCaption = "停止工作";
constexpr const wchar_t* kTrayTip = L"Tavrelin";
constexpr const wchar_t* kQuietTrayTip = L"Tavrelin（全屏程序运行中，热键暂停）";

// The menu pictures by role.
constexpr int kImagePause = 0;
constexpr int kImageHelp = 2;  // also the list's icon for what has no file icon
constexpr int kImageDelete = 11;
constexpr int kImageNewScheme = 10;
constexpr int kImageResume = 15;
constexpr int kImageLock = 16;
constexpr int kImageRefused = 19;  // a hotkey the system refused

// Controls in a client area of 364 x 405 at 96 DPI: the group box with the
// list above the 40-pixel button panel, the status bar at the bottom.
constexpr int kStatusHeight = 20;
constexpr int kPanelTop = kClientHeight - kStatusHeight - 40;
constexpr int kButtonTop = kPanelTop + 8;
constexpr LayoutItem kLayout[] = {
    // The list's client area holds its three columns (350 pixels) exactly.
    {IDC_MAIN_GROUP, {2, 0, 360, kPanelTop - 2}},
    {IDC_MAIN_FILTER, {5, 17, 354, 20}},
    {IDC_MAIN_LIST, {5, 40, 354, kPanelTop - 45}},
    {IDC_MAIN_ADD, {8, kButtonTop, 64, 25}},
    {IDC_MAIN_CHANGE, {78, kButtonTop, 64, 25}},
    {IDC_MAIN_DELETE, {148, kButtonTop, 64, 25}},
    {IDC_MAIN_HIDE, {218, kButtonTop, 64, 25}},
    {IDC_MAIN_CLOSE, {288, kButtonTop, 64, 25}},
    {IDC_MAIN_STATUS, {0, kClientHeight - kStatusHeight, kClientWidth, kStatusHeight}},
};

struct ListColumn {
  int index;
  const char* caption;
  int width;  // pixels at 96 DPI
};
constexpr ListColumn kColumns[] = {{kHotkeyColumn, "热键", 100},
                                   {kActionColumn, "程序位置/操作", 185},
                                   {kCategoryColumn, "类别", 65}};

struct ControlHint {
  int id;
  const char* hint;
};
constexpr ControlHint kControlHints[] = {
    {IDC_MAIN_ADD, "添加热键"},
    {IDC_MAIN_CHANGE, "修改您所选定的热键"},
    {IDC_MAIN_DELETE, "删除您所选定的热键"},
    {IDC_MAIN_HIDE, "隐藏Tavrelin"},
    {IDC_MAIN_CLOSE, "关闭Tavrelin"},
};

using Item = MenuItem<MainWindow>;

constexpr Item kFileMenu[] = {
    {IDM_MAIN_STOP, "暂停工作", "暂停/开始Tavrelin", kImagePause, &MainWindow::PauseOrResume},
    {},
    {IDM_MAIN_EXIT, "退出", "退出Tavrelin", 1, &MainWindow::OnCloseButton},
};
constexpr Item kOpenSchemeMenu[] = {
    {IDM_DEFAULT_SCHEME, kDefaultSchemeHint, kDefaultSchemeHint},
    {},
};
constexpr Item kEditSchemeMenu[] = {
    {IDM_NEW_SCHEME, "新建方案", "新建方案", kImageNewScheme},
    {IDM_DELETE_SCHEME, "删除方案", "删除方案", kImageDelete, &MainWindow::OnDeleteSchemeItem},
};
constexpr Item kSettingsMenu[] = {
    {IDM_AUTORUN, "开机自动运行", "开机自动运行", 9, &MainWindow::ToggleStartAtLogon},
    {},
    {0, "选择热键设置方案", "选择热键设置方案", 8, nullptr, kOpenSchemeMenu},
    {0, "编辑方案", "编辑热键设置方案", 6, nullptr, kEditSchemeMenu},
    {},
    {IDM_SET_PASSWORD, "设置访问密码", "", kImageLock},
    {},
    {IDM_SETTINGS, "程序设置", "编辑类别", 18},
};
constexpr Item kToolsMenu[] = {
    {IDM_UPDATE, "升级热键配置文件", "", 17},
};
constexpr Item kHelpMenu[] = {
    {IDM_HOME_PAGE, "访问作者的主页", "访问作者的主页", 5},
    {IDM_MAIL, "给作者写信", "给作者写信", 4},
    {},
    {IDM_HELP, "帮助", "帮助", kImageHelp},
    {IDM_ABOUT, "关于", "关于Tavrelin", 3, &MainWindow::ShowAbout},
};
constexpr Item kMenuBar[] = {
    {0, "文件", "文件", -1, nullptr, kFileMenu},
    {0, "设置", "设置Tavrelin", -1, nullptr, kSettingsMenu},
    {0, "工具", "", -1, nullptr, kToolsMenu},
    {0, "帮助", "帮助", -1, nullptr, kHelpMenu},
};
constexpr Item kTraySchemeMenu[] = {
    {IDM_TRAY_DEFAULT, kDefaultSchemeHint, kDefaultSchemeHint},
    {},
};
constexpr Item kTrayMenu[] = {
    {IDM_TRAY_SHOW, "显示主窗体", "显示主窗体", 12, &MainWindow::ShowMainWindow},
    {IDM_TRAY_STOP, "暂停工作", "停止工作", kImagePause, &MainWindow::PauseOrResume},
    {},
    {0, "热键设置方案", "热键设置方案", 8, nullptr, kTraySchemeMenu},
    {},
    {IDM_TRAY_ABOUT, "关于", "关于", 3, &MainWindow::ShowAbout},
    {IDM_TRAY_EXIT, "退出", "退出Tavrelin", 1, &MainWindow::OnCloseButton},
};
constexpr Item kListMenu[] = {
    {IDM_LIST_ADD, "添加", "添加热键", 13, &MainWindow::AddEntry},
    {IDM_LIST_CHANGE, "修改", "修改您所选定的热键", 7, &MainWindow::ChangeEntry},
    {IDM_LIST_DELETE, "删除", "删除您所选定的热键", kImageDelete, &MainWindow::DeleteEntries},
};

// The hint of the submenu at `position` of `menu`, one of the menus that
// hold submenus: the menu bar, "设置", "编辑方案" and the tray menu.
std::string_view PopupHint(HMENU menu, UINT position, HMENU bar, HMENU tray) {
  const HMENU settings = bar ? GetSubMenu(bar, 1) : nullptr;
  const struct {
    HMENU menu;
    std::span<const Item> items;
  } menus[] = {{bar, kMenuBar},
               {settings, kSettingsMenu},
               {settings ? GetSubMenu(settings, 3) : nullptr, kEditSchemeMenu},
               {tray, kTrayMenu}};
  for (const auto& candidate : menus) {
    if (menu && menu == candidate.menu && position < candidate.items.size())
      return candidate.items[position].hint;
  }
  return {};
}

// The notification area's icon: LoadIconMetric gives the size the taskbar
// draws at its DPI, from the sizes the icon resource holds.
HICON LoadTrayIcon(int id) {
  HICON icon = nullptr;
  if (SUCCEEDED(LoadIconMetric(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), LIM_SMALL, &icon)))
    return icon;
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON,
                                       GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                       0));
}

// WM_COPYGLOBALDATA, which a file dropped from Explorer brings along.
constexpr UINT kCopyGlobalDataMessage = 0x0049;

// The icon `id` at the size of the system metric (SM_CXSMICON or SM_CXICON)
// at `dpi`.
HICON LoadIconForDpi(int id, int metric, UINT dpi) {
  const int size = SystemMetricForDpi(metric, dpi);
  return static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
}

constexpr const char* kPromptWaitingText = "Tavrelin 需要密码：请单击闪烁的密码窗口后输入。";

// What the first start's balloon says: the hotkey of the first entry that
// shows the main window, or the tray icon when there is none.
std::string FirstStartText(const EntryTable& slots) {
  for (const HotkeySlot& slot : slots) {
    if (slot.virtualKey &&
        FindBuiltInOperation(ClassifiedText(slot.action)) == BuiltInOperation::kShowMainWindow) {
      return "Tavrelin 已在通知区域运行，按 " + DisplayText(slot.modifiers, slot.virtualKey) +
             " 打开主窗口";
    }
  }
  return "Tavrelin 已在通知区域运行，双击通知区域的图标打开主窗口";
}

bool KeyHeld(int virtualKey) {
  return (GetKeyState(virtualKey) & 0x8000) != 0;
}

// Gives every item of `menu` but separators the radio mark style and checks
// the one with command `checkedId`.
void CheckRadioItem(HMENU menu, UINT checkedId) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
    if (info.fType & MFT_SEPARATOR) continue;
    info.fMask = MIIM_FTYPE | MIIM_STATE;
    info.fType |= MFT_RADIOCHECK;
    info.fState = (info.fState & ~MFS_CHECKED) | (info.wID == checkedId ? MFS_CHECKED : 0);
    SetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
  }
}

HMENU SubMenuAt(HMENU menu, int position) {
  return menu ? GetSubMenu(menu, position) : nullptr;
}

}  // namespace

MainWindow::MainWindow(Win32Platform& platform, std::string programDirectory, PasswordPrompt& login,
                       SchemeState& scheme)
    : platform_(platform),
      programDirectory_(std::move(programDirectory)),
      service_(platform),
      login_(login),
      scheme_(scheme),
      system_(platform) {}

MainWindow::~MainWindow() {
  if (menuImageList_) ImageList_Destroy(menuImageList_);
}

bool MainWindow::Create() {
  normalIcon_.reset(LoadTrayIcon(IDI_TRAY_NORMAL));
  pausedIcon_.reset(LoadTrayIcon(IDI_TRAY_PAUSED));
  layout_ = Layout(kLayout, {kClientWidth, kClientHeight});
  const UINT dpi = SystemDpi();
  const SIZE client = layout_.ClientSizeFor(dpi);
  RECT frame{0, 0, client.cx, client.cy};
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  AdjustWindowRectForDpi(frame, style, true, 0, dpi);
  if (!CreateWindowOfClass(
          kClassName, Widen(kCaption).c_str(), style, 0, frame.right - frame.left,
          frame.bottom - frame.top,
          LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TRAY_NORMAL)))) {
    return false;
  }
  platform_.SetMainWindow(hwnd());
  ShowWindowIcons();
  dispatcher_ = std::make_unique<ActionDispatcher>(platform_, *this);
  schemeMenus_ = std::make_unique<SchemeMenus>(platform_, programDirectory_,
                                               static_cast<SchemeMenuHost&>(*this));
  about_ = std::make_unique<AboutBox>(platform_);
  setPasswordDialog_ =
      std::make_unique<SetPasswordDialog>(platform_, scheme_, [this](bool protect) {
        schemeMenus_->MarkCheckedItems(protect);
        RenderSchemeMenus();
      });
  settingsDialog_ = std::make_unique<SettingsDialog>(
      platform_, programDirectory_,
      [this](bool autoRun) { SetMenuItemChecked(menuBar(), IDM_AUTORUN, autoRun); },
      [this](HWND owner, const std::string& topic) {
        ShowHelpTopic(owner, programDirectory_, topic);
      });
  if (!settings_) {
    settings_ = [this] {
      settingsDialog_->ShowModal(VisibleWindow());
      ApplyQuietSetting();
    };
  }
  if (!legacyConversion_) legacyConversion_ = [this] { ConvertLegacyFiles(); };
  OnCreate();
  return true;
}

void MainWindow::OnCreate() {
  service_.set_paused(false);
  SetText(hwnd(), kCaption);
  CreateMenus();
  taskbarCreatedMessage_ = RegisterWindowMessageW(L"TaskbarCreated");
  showRequestMessage_ = ShowRunningCopyMessage(programDirectory_);
  // Asked before anything could write set.ini.
  const bool firstStart = !PathExists(programDirectory_ + "set.ini");
  // Elevated, the window would hear nothing from the programs of the user's
  // level: not Explorer's restart, not files dropped from it.
  if (ThisProcessIsElevated()) {
    AllowMessagesFromLowerLevels(
        hwnd(), {taskbarCreatedMessage_, WM_DROPFILES, WM_COPYDATA, kCopyGlobalDataMessage});
  }
  tray_ = std::make_unique<TrayIcon>(hwnd(), kTrayMessage, normalIcon_.get(), kTrayTip);
  login_.waitingBehind = [this] { tray_->ShowBalloon(L"Tavrelin", Widen(kPromptWaitingText)); };
  foreground_ = std::make_unique<ForegroundWatch>([this] { OnForegroundChange(); });
  service_.SetForeground(foreground_->Current());
  RunGuarded(platform_, [&] { SetMenuItemChecked(menuBar(), IDM_AUTORUN, system_.ReadAutoRun()); });
  RunGuarded(platform_, [&] {
    schemeMenus_->ListMenus();
    RenderSchemeMenus();
  });
  // The prompt of a protected default scheme comes unasked for: it must not
  // take the keyboard from the program the user works in.
  login_.SetUnasked(true);
  RunGuarded(platform_, [&] {
    schemeMenus_->OpenFromMenu(kDefaultSchemeHint);
    RenderSchemeMenus();
  });
  login_.SetUnasked(false);
  // Windows 10 and 11 put a new icon in the overflow area, out of sight: a
  // first start says where the program went.
  if (firstStart) tray_->ShowBalloon(L"Tavrelin", Widen(FirstStartText(service_.slots())));
}

static HIMAGELIST LoadMenuImages();

void MainWindow::CreateMenus() {
  menuImageList_ = LoadMenuImages();
  menuImages_ = std::make_unique<MenuImages>(menuImageList_);
  SetMenu(hwnd(), BuildMenuBar<MainWindow>(kMenuBar, menuImages_.get()).release());
  trayMenu_ = BuildPopupMenu<MainWindow>(kTrayMenu, menuImages_.get());
  listMenu_ = BuildPopupMenu<MainWindow>(kListMenu, menuImages_.get());
  SetMenuItemEnabled(listMenu_.get(), IDM_LIST_CHANGE, false);
  SetMenuItemEnabled(listMenu_.get(), IDM_LIST_DELETE, false);
  EnableOptionalItems();
}

void MainWindow::EnsureControls() {
  if (listView_) return;
  CreateControls();
  InsertRows();
  SetStatus(statusText_);
  SetEditCommands(editCommands_);
}

void MainWindow::CreateControls() {
  const struct {
    int id;
    const wchar_t* className;
    const char* text;
    DWORD style;
    DWORD exStyle;
  } controls[] = {
      {IDC_MAIN_GROUP, L"BUTTON", "设置热键", BS_GROUPBOX, 0},
      {IDC_MAIN_FILTER, L"EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},
      {IDC_MAIN_LIST, WC_LISTVIEWW, "", WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS,
       WS_EX_CLIENTEDGE},
      {IDC_MAIN_ADD, L"BUTTON", "添加", WS_TABSTOP | BS_PUSHBUTTON, 0},
      {IDC_MAIN_CHANGE, L"BUTTON", "修改", WS_TABSTOP | BS_PUSHBUTTON | WS_DISABLED, 0},
      {IDC_MAIN_DELETE, L"BUTTON", "删除", WS_TABSTOP | BS_PUSHBUTTON | WS_DISABLED, 0},
      {IDC_MAIN_HIDE, L"BUTTON", "隐藏", WS_TABSTOP | BS_PUSHBUTTON, 0},
      {IDC_MAIN_CLOSE, L"BUTTON", "关闭", WS_TABSTOP | BS_PUSHBUTTON, 0},
      {IDC_MAIN_STATUS, STATUSCLASSNAMEW, "", CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, 0},
  };
  for (const auto& control : controls) {
    CreateControl(hwnd(), control.className, control.text, WS_VISIBLE | control.style,
                  control.exStyle, control.id);
  }
  listView_ = GetDlgItem(hwnd(), IDC_MAIN_LIST);
  statusBar_ = GetDlgItem(hwnd(), IDC_MAIN_STATUS);
  filterEdit_ = GetDlgItem(hwnd(), IDC_MAIN_FILTER);
  SendMessageW(filterEdit_, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"筛选热键"));
  SetWindowSubclass(
      filterEdit_,
      [](HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) -> LRESULT {
        if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
          SetWindowTextW(edit, L"");
          return 0;
        }
        if (message == WM_CHAR && wParam == VK_ESCAPE) return 0;  // no beep
        return DefSubclassProc(edit, message, wParam, lParam);
      },
      0, 0);
  // One panel filling the bar (not the simple mode, so that WM_GETTEXT reads
  // it, from other programs too).
  int panelRight = -1;
  SendMessageW(statusBar_, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&panelRight));
  ListView_SetExtendedListViewStyle(
      listView_, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_LABELTIP | LVS_EX_CHECKBOXES);
  for (const ListColumn& column : kColumns) {
    InsertListColumn(listView_, column.index, column.caption, column.width);
  }
  DragAcceptFiles(hwnd(), TRUE);
  layout_.Apply(hwnd());
  ScaleColumns();
}

void MainWindow::ScaleColumns() {
  const UINT dpi = DpiForWindow(hwnd());
  for (const ListColumn& column : kColumns) {
    ListView_SetColumnWidth(listView_, column.index, ScaleForDpi(column.width, dpi));
  }
  FitHotkeyColumn();
}

// The check box in front of each row takes room from the hotkey text: the
// hotkey column grows to show its widest text whole beside the check box and
// the icon, and the action column gives up what it takes, keeping at least
// the hotkey column's own width.
void MainWindow::FitHotkeyColumn() {
  const UINT dpi = DpiForWindow(hwnd());
  const int shared = ScaleForDpi(kColumns[0].width + kColumns[1].width, dpi);
  const int least = ScaleForDpi(kColumns[0].width, dpi);
  int width = least;
  RECT label{};
  RECT row{};
  if (ListView_GetItemRect(listView_, 0, &label, LVIR_LABEL) &&
      ListView_GetItemRect(listView_, 0, &row, LVIR_BOUNDS)) {
    int widest = 0;
    for (int item = 0; item < ListView_GetItemCount(listView_); ++item) {
      wchar_t text[128] = {};
      ListView_GetItemText(listView_, item, 0, text, 128);
      widest = std::max(widest, static_cast<int>(ListView_GetStringWidth(listView_, text)));
    }
    // The label's inner margins on both sides.
    width =
        std::max(width, static_cast<int>(label.left - row.left) + widest + ScaleForDpi(12, dpi));
  }
  width = std::min(width, shared - least);
  ListView_SetColumnWidth(listView_, kHotkeyColumn, width);
  ListView_SetColumnWidth(listView_, kActionColumn, shared - width);
}

// The menu image list from the picture strip: magenta pixels become transparent
// through the alpha channel rather than a mask, so that the pictures scale
// cleanly into the larger image lists of higher DPIs.
static HIMAGELIST LoadMenuImages() {
  HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32, 20, 0);
  auto strip =
      static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_MENU_IMAGES),
                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!strip) return images;
  BITMAP source{};
  GetObjectW(strip, sizeof source, &source);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = source.bmWidth;
  info.bmiHeader.biHeight = -source.bmHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> pixels(static_cast<size_t>(source.bmWidth) * source.bmHeight);
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, strip, 0, static_cast<UINT>(source.bmHeight), pixels.data(), &info,
            DIB_RGB_COLORS);
  for (uint32_t& pixel : pixels) {
    // Premultiplied: a transparent pixel is all zero.
    pixel = (pixel & 0xFFFFFF) == 0xFF00FF ? 0 : (pixel | 0xFF000000);
  }
  void* bits = nullptr;
  HBITMAP argb = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (argb) {
    std::memcpy(bits, pixels.data(), pixels.size() * sizeof(uint32_t));
    ImageList_Add(images, argb, nullptr);
    DeleteObject(argb);
  }
  DeleteObject(strip);
  return images;
}

void MainWindow::EnableOptionalItems() {
  HMENU bar = menuBar();
  SetMenuItemEnabled(bar, IDM_NEW_SCHEME, static_cast<bool>(newScheme_));
  SetMenuItemEnabled(bar, IDM_SETTINGS, static_cast<bool>(settings_));
  SetMenuItemEnabled(bar, IDM_UPDATE, static_cast<bool>(legacyConversion_));
}

void MainWindow::SetNewSchemeDialog(std::function<void()> open) {
  newScheme_ = std::move(open);
  if (hwnd()) RenderSchemeMenus();
}

void MainWindow::SetSettingsDialog(std::function<void()> open) {
  settings_ = std::move(open);
  if (hwnd()) EnableOptionalItems();
}

void MainWindow::SetLegacyConversion(std::function<void()> run) {
  legacyConversion_ = std::move(run);
  if (hwnd()) EnableOptionalItems();
}

HMENU MainWindow::MainSchemeMenu() const {
  return SubMenuAt(SubMenuAt(menuBar(), 1), 2);
}

HMENU MainWindow::TraySchemeMenu() const {
  return SubMenuAt(trayMenu_.get(), 3);
}

HMENU MainWindow::DeleteSchemeMenu() const {
  return SubMenuAt(SubMenuAt(SubMenuAt(menuBar(), 1), 3), 1);
}

void MainWindow::RenderSchemeMenus() {
  const std::vector<SchemeMenuEntry>& users = schemeMenus_->userSchemes();
  const size_t shown = std::min<size_t>(users.size(), IDM_SCHEME_LIMIT);
  const HBITMAP lock = menuImages_->Bitmap(kImageLock);
  auto openEntries = [&](UINT defaultId, UINT firstId) {
    std::vector<MenuEntryText> entries;
    entries.push_back(
        {defaultId, kDefaultSchemeHint, schemeMenus_->defaultLocked() ? lock : nullptr});
    entries.push_back({});
    for (size_t k = 0; k < shown; ++k) {
      entries.push_back(
          {static_cast<UINT>(firstId + k), users[k].name, users[k].locked ? lock : nullptr});
    }
    return entries;
  };
  const std::optional<int> checked = schemeMenus_->checked();
  const struct {
    HMENU menu;
    UINT defaultId;
    UINT firstId;
  } openMenus[] = {{MainSchemeMenu(), IDM_DEFAULT_SCHEME, IDM_OPEN_SCHEME_FIRST},
                   {TraySchemeMenu(), IDM_TRAY_DEFAULT, IDM_TRAY_SCHEME_FIRST}};
  for (const auto& open : openMenus) {
    RebuildMenu(open.menu, openEntries(open.defaultId, open.firstId));
    UINT checkedId = 0;  // none before the first scheme opened
    if (checked)
      checkedId = *checked == kDefaultSchemeItem ? open.defaultId : open.firstId + *checked;
    CheckRadioItem(open.menu, checkedId);
  }

  // "删除方案" is a submenu of the user schemes, or a plain item that says
  // there are none.
  HMENU editMenu = SubMenuAt(SubMenuAt(menuBar(), 1), 3);
  MenuEntryText deleteItem{0, "删除方案", menuImages_->Bitmap(kImageDelete)};
  if (shown == 0) {
    deleteItem.id = IDM_DELETE_SCHEME;
  } else {
    deleteItem.submenu = CreatePopupMenu();
    std::vector<MenuEntryText> entries;
    for (size_t k = 0; k < shown; ++k) {
      entries.push_back({static_cast<UINT>(IDM_DELETE_SCHEME_FIRST + k), users[k].name,
                         users[k].locked ? lock : nullptr});
    }
    RebuildMenu(deleteItem.submenu, entries);
  }
  RebuildMenu(editMenu,
              {{IDM_NEW_SCHEME, "新建方案", menuImages_->Bitmap(kImageNewScheme)}, deleteItem});
  EnableOptionalItems();
  DrawMenuBar(hwnd());
}

bool MainWindow::OpenScheme(const std::string& path) {
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

std::string MainWindow::DigestOfRememberedPassword() const {
  try {
    return DigestText(scheme_.rememberedPassword);
  } catch (const EncodingError&) {
    return std::string();  // matches no stored digest
  }
}

std::string MainWindow::RememberedPasswordDigest() {
  return DigestOfRememberedPassword();
}

bool MainWindow::CheckPassword(const std::string& digest) {
  return login_.Run(digest, /*checkOnly=*/true, VisibleWindow());
}

HWND MainWindow::VisibleWindow() const {
  return IsWindowVisible(hwnd()) ? hwnd() : nullptr;
}

void MainWindow::Reload() {
  ResetAndLoad();
  if (foreground_) foreground_->WatchTitles(service_.WatchesTitles());
  ApplyQuietSetting();
  service_.RegisterAll();
  RefreshIcons();  // after the registration: refused entries get their mark
}

void MainWindow::ResetAndLoad() {
  ShowPauseState();
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

void MainWindow::ReloadAfterEdit() {
  sort_.Reset();
  if (service_.paused()) {
    ResetAndLoad();
    RefreshIcons();
  } else {
    OpenScheme(scheme_.activePath);
  }
}

void MainWindow::FillList(const std::vector<HotkeyListItem>& items) {
  items_ = items;
  InsertRows();
  selectionText_.clear();
  SetStatus("");
  SetEditCommands(CommandsAfterListClick(0));
}

void MainWindow::InsertRows() {
  if (!listView_) return;  // EnsureControls lists `items_` when it makes the list
  SendMessageW(listView_, WM_SETREDRAW, FALSE, 0);
  fillingRows_ = true;
  ListView_DeleteAllItems(listView_);
  for (const HotkeyListItem& item : items_) {
    const auto slot = static_cast<size_t>(item.slot);
    if (!filter_.empty() &&
        !RowMatchesFilter(item, slot < kSlotCount ? service_.slots()[slot].hint : "", filter_)) {
      continue;
    }
    const int row = InsertListRow(listView_, ListView_GetItemCount(listView_),
                                  {item.caption, item.action, item.category}, item.slot);
    if (row >= 0) ListView_SetCheckState(listView_, row, item.enabled);
  }
  fillingRows_ = false;
  FitHotkeyColumn();
  SendMessageW(listView_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(listView_, nullptr, TRUE);
}

void MainWindow::SwitchEntry(int slot, bool enabled) {
  if (slot < 0 || slot >= static_cast<int>(items_.size())) return;
  if (service_.slots()[static_cast<size_t>(slot)].enabled == enabled) return;
  MainWindowEditorHost host(*this);
  SetEntryEnabled(platform_, host, {scheme_.activePath, slot, service_.slots()[slot]}, enabled);
}

void MainWindow::FilterChange() {
  filter_ = TextOf(filterEdit_);
  InsertRows();
  RefreshIcons();
  // What was selected may be gone: the commands start again from nothing.
  selectionText_.clear();
  SetStatus("");
  SetEditCommands(CommandsAfterListClick(0));
}

LRESULT MainWindow::OnListCustomDraw(NMLVCUSTOMDRAW& draw) {
  if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
    const auto slot = static_cast<size_t>(draw.nmcd.lItemlParam);
    if (slot < items_.size() && !items_[slot].enabled) draw.clrText = GetSysColor(COLOR_GRAYTEXT);
  }
  return CDRF_DODEFAULT;
}

void MainWindow::RefreshIcons() {
  if (IsWindowVisible(hwnd())) {
    AssignIcons();
  } else {
    ReleaseIcons();
  }
}

void MainWindow::ReleaseIcons() {
  iconsStale_ = true;
  if (!listView_) return;
  HIMAGELIST previous = ListView_SetImageList(listView_, nullptr, LVSIL_SMALL);
  if (previous) ImageList_Destroy(previous);
}

void MainWindow::AssignIcons() {
  if (!listView_) return;  // the first show gives them
  iconsStale_ = false;
  const int size = SystemMetricForDpi(SM_CXSMICON, DpiForWindow(hwnd()));
  HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 4, 4);
  const int fallback = ImageList_AddIcon(
      images, UniqueIcon(ImageList_GetIcon(menuImageList_, kImageHelp, ILD_NORMAL)).get());
  const int refused = ImageList_AddIcon(
      images, UniqueIcon(ImageList_GetIcon(menuImageList_, kImageRefused, ILD_NORMAL)).get());
  HIMAGELIST previous = ListView_SetImageList(listView_, images, LVSIL_SMALL);
  if (previous) ImageList_Destroy(previous);

  TargetIcons targetIcons(images, size);
  const int count = ListView_GetItemCount(listView_);
  for (int row = 0; row < count; ++row) {
    const int slot = static_cast<int>(ListRowData(listView_, row));
    int image = -1;
    if (service_.IsRefused(slot)) {
      image = refused;
    } else if (slot >= 0 && slot < static_cast<int>(items_.size())) {
      image = targetIcons.ImageFor(Widen(std::string(ClassifiedText(items_[slot].action))));
    }
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = image < 0 ? fallback : image;
    ListView_SetItem(listView_, &item);
  }
  FitHotkeyColumn();  // the icons take room beside the texts
}

void MainWindow::SetStatus(const std::string& text) {
  statusText_ = text;
  if (statusBar_) {
    SendMessageW(statusBar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(Widen(text).c_str()));
  }
}

std::string MainWindow::StatusText() const {
  return statusBar_ ? TextOf(statusBar_) : statusText_;
}

void MainWindow::SetEditCommands(EditCommands commands) {
  editCommands_ = commands;
  if (listView_) {
    EnableWindow(GetDlgItem(hwnd(), IDC_MAIN_CHANGE), commands.change);
    EnableWindow(GetDlgItem(hwnd(), IDC_MAIN_DELETE), commands.remove);
  }
  SetMenuItemEnabled(listMenu_.get(), IDM_LIST_CHANGE, commands.change);
  SetMenuItemEnabled(listMenu_.get(), IDM_LIST_DELETE, commands.remove);
}

std::vector<HotkeyListItem> MainWindow::SelectedItems() const {
  std::vector<HotkeyListItem> selected;
  for (int row : SelectedListRows(listView_)) {
    const auto slot = static_cast<size_t>(ListRowData(listView_, row));
    if (slot < items_.size()) selected.push_back(items_[slot]);
  }
  return selected;
}

void MainWindow::ShowSelectedEntry(int row) {
  const auto slot = static_cast<int>(ListRowData(listView_, row));
  if (slot < 0 || slot >= static_cast<int>(items_.size())) return;
  const std::string refusal = service_.RefusalText(slot);
  selectionText_ = refusal.empty() ? items_[slot].action : "热键未生效：" + refusal;
  SetStatus(selectionText_);
}

void MainWindow::OnListClick() {
  const int selected = ListView_GetSelectedCount(listView_);
  if (selected == 0) {
    selectionText_.clear();
    SetStatus("");
  }
  SetEditCommands(CommandsAfterListClick(selected));
}

void MainWindow::OnListMenuPopup() {
  SetEditCommands(CommandsForListMenu(ListView_GetSelectedCount(listView_)));
}

void MainWindow::OnListDoubleClick() {
  if (ListView_GetSelectedCount(listView_) > 0) ChangeEntry();
}

void MainWindow::SortByColumn(int column) {
  sort_.ColumnClick(column);
  // The order is decided here, stably from the rows' current order; the
  // list only puts each row at its rank.
  std::vector<HotkeyListItem> shown;
  for (int row = 0; row < ListView_GetItemCount(listView_); ++row) {
    shown.push_back(items_.at(static_cast<size_t>(ListRowData(listView_, row))));
  }
  std::vector<int> rank(items_.size());
  const std::vector<size_t> order = sort_.Order(shown);
  for (size_t i = 0; i < order.size(); ++i) rank[shown[order[i]].slot] = static_cast<int>(i);
  ListView_SortItems(
      listView_,
      [](LPARAM a, LPARAM b, LPARAM ranks) -> int {
        const auto& rank = *reinterpret_cast<const std::vector<int>*>(ranks);
        return rank[static_cast<size_t>(a)] - rank[static_cast<size_t>(b)];
      },
      reinterpret_cast<LPARAM>(&rank));
}

void MainWindow::ShowListMenu(POINT screen) {
  OnListMenuPopup();
  SetForegroundWindow(hwnd());
  TrackPopupMenu(listMenu_.get(), TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd(), nullptr);
}

void MainWindow::AddEntry() {
  if (!editor_) return;
  editor_(AddRequest());
}

void MainWindow::ChangeEntry() {
  const std::vector<int> rows = SelectedListRows(listView_);
  if (rows.empty()) {
    platform_.MessageBox("请选择您要修改的热键", kApplicationTitle, mb::kOk | mb::kIconInformation);
    return;
  }
  const auto slot = static_cast<int>(ListRowData(listView_, rows.front()));
  if (editor_) editor_(ChangeRequest(service_.slots()[slot], slot));
}

void MainWindow::DeleteEntries() {
  if (DeleteSelectedEntries(platform_, scheme_.activePath, SelectedItems())) ReloadAfterEdit();
}

void MainWindow::OnHideButton() {
  ShowWindow(hwnd(), SW_HIDE);
}

void MainWindow::OnCloseButton() {
  CloseMainWindow();
}

void MainWindow::OnFilesDropped(const std::vector<std::string>& paths) {
  if (paths.empty() || !editor_) return;
  editor_(DropRequest(paths.front()));
}

void MainWindow::OnDropFiles(HDROP drop) {
  POINT point{};
  DragQueryPoint(drop, &point);  // client coordinates of the main window
  RECT list{};
  GetWindowRect(listView_, &list);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&list), 2);
  std::vector<std::string> paths;
  if (PtInRect(&list, point)) {
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      const UINT length = DragQueryFileW(drop, i, nullptr, 0);
      std::wstring path(static_cast<size_t>(length) + 1, L'\0');
      DragQueryFileW(drop, i, path.data(), length + 1);
      path.resize(length);
      paths.push_back(Narrow(path));
    }
  }
  DragFinish(drop);
  OnFilesDropped(paths);
}

void MainWindow::ToggleStartAtLogon() {
  const bool wanted =
      GetMenuState(menuBar(), IDM_AUTORUN, MF_BYCOMMAND) & MF_CHECKED ? false : true;
  const SystemOperations::AutoRunPlace place = system_.WriteAutoRun(wanted);
  // The mark shows what is really stored, not what was asked for.
  const bool stored = system_.ReadAutoRun();
  SetMenuItemChecked(menuBar(), IDM_AUTORUN, stored);
  if (wanted && place == SystemOperations::AutoRunPlace::kCurrentUser) {
    SetStatus("无权写入本机的启动项，已改为当前用户登录时自动运行");
  } else if (wanted && !stored) {
    SetStatus("无法写入启动项，开机自动运行未能设置");
  }
}

void MainWindow::OnDeleteSchemeItem() {
  schemeMenus_->SayWhenNoSchemeToDelete();
}

void MainWindow::OpenDefaultScheme() {
  schemeMenus_->OpenFromMenu(kDefaultSchemeHint);
  RenderSchemeMenus();
}

bool MainWindow::OnSchemeCommand(int id) {
  const auto inRange = [id](int first) { return id >= first && id < first + IDM_SCHEME_LIMIT; };
  const std::vector<SchemeMenuEntry>& users = schemeMenus_->userSchemes();
  if (id == IDM_DEFAULT_SCHEME || id == IDM_TRAY_DEFAULT) {
    OpenDefaultScheme();
  } else if (inRange(IDM_OPEN_SCHEME_FIRST) || inRange(IDM_TRAY_SCHEME_FIRST)) {
    const size_t k = static_cast<size_t>(
        id - (inRange(IDM_OPEN_SCHEME_FIRST) ? IDM_OPEN_SCHEME_FIRST : IDM_TRAY_SCHEME_FIRST));
    if (k < users.size()) schemeMenus_->OpenFromMenu(users[k].name);
    RenderSchemeMenus();
  } else if (inRange(IDM_DELETE_SCHEME_FIRST)) {
    schemeMenus_->DeleteFromMenu(id - IDM_DELETE_SCHEME_FIRST);
    RenderSchemeMenus();
  } else {
    return false;
  }
  return true;
}

void MainWindow::NewScheme() {
  if (newScheme_) newScheme_();
}

void MainWindow::SetSchemePassword() {
  setPasswordDialog_->ShowModal(VisibleWindow());
}

void MainWindow::OpenSettings() {
  if (settings_) settings_();
}

void MainWindow::RunLegacyConversion() {
  if (legacyConversion_) legacyConversion_();
}

bool MainWindow::RestoresClipboardAfterPaste() {
  try {
    return SettingsFile(programDirectory_).ReadRestoreClipboard();
  } catch (const Error&) {
    return false;  // an unreadable set.ini leaves the paste as it always was
  }
}

void MainWindow::ConvertLegacyFiles() {
  // An error stops the command only at hotkey.ini, before any user scheme
  // was added; later files report their own failures and go on.
  bool activeReplaced = false;
  UpdateLegacyFiles(
      platform_, programDirectory_,
      [this](const std::string& schemeName) { schemeMenus_->AddSchemeItem(schemeName); },
      [&](const std::string& schemePath) {
        activeReplaced |= EqualsIgnoringAsciiCase(schemePath, scheme_.activePath);
      });
  RenderSchemeMenus();
  // The active scheme stays as it was opened, with its sort, unless the
  // command wrote over its file: the list and the registrations then follow
  // the new file, since changes and deletions act on it by position.
  if (activeReplaced) ReloadAfterEdit();
}

void MainWindow::OpenHomePage() {
  platform_.ShellOpen(std::string("http://") + kHomePage);
}

void MainWindow::WriteMail() {
  platform_.ShellOpen(std::string("mailto:") + kMailAddress);
}

void MainWindow::OpenHelpFile() {
  platform_.ShellOpen(HelpFilePath(programDirectory_));
}

void MainWindow::ShowAbout() {
  ShowAboutBox(VisibleWindow());
}

void MainWindow::ShowAboutBox(HWND owner) {
  about_->ShowModal(owner);
}

void MainWindow::OnShowItem() {
  ShowMainWindow();
}

void MainWindow::OnExitItem() {
  CloseMainWindow();
}

void MainWindow::PauseOrResume() {
  service_.UnregisterHotkeys(false);
  service_.set_paused(!service_.paused());
  ShowPauseState();
  if (!service_.paused()) OpenScheme(scheme_.activePath);
}

void MainWindow::ShowPauseState() {
  const bool paused = service_.paused();
  // Quiet for a full-screen program shows as paused in the tray, and its tip
  // says why the hotkeys rest although nobody paused them.
  tray_->SetIconAndTip(paused || service_.quiet() ? pausedIcon_.get() : normalIcon_.get(),
                       service_.quiet() && !paused ? kQuietTrayTip : kTrayTip);
  ShowWindowIcons();
  const HBITMAP image = menuImages_->Bitmap(paused ? kImageResume : kImagePause);
  for (const auto& [menu, id] :
       {std::pair{menuBar(), IDM_MAIN_STOP}, std::pair{trayMenu_.get(), IDM_TRAY_STOP}}) {
    SetMenuItemText(menu, id, paused ? kPausedCaption : kRunningCaption);
    SetMenuItemImage(menu, id, image);
  }
  DrawMenuBar(hwnd());
}

void MainWindow::ShowWindowIcons() {
  const UINT dpi = DpiForWindow(hwnd());
  // Icons replaced for a new DPI stay alive until the window has taken the
  // new ones.
  std::array<WindowIcons, 2> replaced;
  if (dpi != windowIconDpi_) {
    replaced = std::move(windowIcons_);
    const int ids[] = {IDI_TRAY_NORMAL, IDI_TRAY_PAUSED};
    for (size_t state = 0; state < windowIcons_.size(); ++state) {
      windowIcons_[state].smallIcon.reset(LoadIconForDpi(ids[state], SM_CXSMICON, dpi));
      windowIcons_[state].bigIcon.reset(LoadIconForDpi(ids[state], SM_CXICON, dpi));
    }
    windowIconDpi_ = dpi;
  }
  const WindowIcons& icons = windowIcons_[service_.paused() || service_.quiet() ? 1 : 0];
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons.smallIcon.get()));
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icons.bigIcon.get()));
}

std::wstring MainWindow::TrayTip() const {
  return tray_ ? tray_->tip() : std::wstring();
}

HICON MainWindow::WindowIcon() const {
  return reinterpret_cast<HICON>(SendMessageW(hwnd(), WM_GETICON, ICON_SMALL, 0));
}

void MainWindow::ShowMainWindow() {
  if (login_.IsShowing() || IsWindowVisible(hwnd())) return;
  const std::string digest = ReadAccessPasswordDigest(programDirectory_);
  if (!digest.empty() && !login_.Run(digest, /*checkOnly=*/true, nullptr)) return;
  ShowWindow(hwnd(), SW_RESTORE);
  ShowWindow(hwnd(), SW_SHOWNORMAL);
  SetForegroundWindow(hwnd());
}

void MainWindow::CloseMainWindow() {
  PostMessageW(hwnd(), WM_CLOSE, 0, 0);
}

void MainWindow::RegisterAll() {
  service_.RegisterAll();
  // A paste from a script that runs on while the hotkeys are paused must
  // not bring them back.
  if (service_.paused()) service_.UnregisterHotkeys(false);
}

void MainWindow::ShowNotice(const std::string& text) {
  if (IsWindowVisible(hwnd()) || !tray_) {
    SetStatus(text);
  } else {
    tray_->ShowBalloon(L"Tavrelin", Widen(text));
  }
}

void MainWindow::RunAction(const std::string& action) {
  dispatcher_->RunAction(action);
}

bool MainWindow::StopActions(std::chrono::milliseconds timeout) {
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

void MainWindow::OnForegroundChange() {
  if (!foreground_) return;
  service_.SetForeground(foreground_->Current());
  UpdateQuietState();
}

void MainWindow::ApplyQuietSetting() {
  try {
    quietInFullScreen_ = SettingsFile(programDirectory_).ReadQuietInFullScreen();
  } catch (const Error&) {
    quietInFullScreen_ = false;  // an unreadable set.ini leaves the hotkeys as they always were
  }
  UpdateQuietState();
}

void MainWindow::UpdateQuietState() {
  const bool wasQuiet = service_.quiet();
  // The shell is asked only with the setting on.
  service_.SetQuiet(quietInFullScreen_ && fullScreenBusy());
  if (service_.quiet() != wasQuiet) ShowPauseState();
}

void MainWindow::PassThrough(unsigned modifiers, unsigned virtualKey) {
  const auto held = [this](uint8_t key) { return (platform_.GetAsyncKeyState(key) & 0x8000) != 0; };
  std::vector<KeyInput> batch;
  for (const KeyStroke& stroke : PassThroughStrokes(modifiers, virtualKey, held)) {
    batch.push_back(KeyEventFor(platform_, stroke.virtualKey, stroke.up));
  }
  platform_.SendKeys(batch);
}

void MainWindow::OnHotkey(LPARAM lParam) {
  // The flags as registered, less the repeat flag should the system pass it.
  const unsigned modifiers = LOWORD(lParam) & ~kModNoRepeat;
  const unsigned virtualKey = HIWORD(lParam);
  const auto time = static_cast<uint32_t>(GetMessageTime());
  // The hotkey may have beaten the news of a new window in front.
  if (foreground_ && foreground_->CatchUp()) OnForegroundChange();
  const int slot = service_.TakeHotkey(modifiers, virtualKey, time);
  if (slot == kReleasedCombination) {
    // Released since the key was pressed: the program in front gets it.
    PassThrough(modifiers, virtualKey);
    return;
  }
  if (slot < 0) return;
  firedKeyWatch_.Watch(virtualKey, time);
  // A copy: the action may reload the scheme and so change the slot.
  const std::string action = service_.slots()[slot].action;
  RunAction(action);
}

bool MainWindow::OnSysCommand(WPARAM wParam) {
  const UINT command = static_cast<UINT>(wParam & 0xFFF0);
  // The close box only sends the window to the tray.
  if (command == SC_CLOSE || command == SC_MINIMIZE) {
    ShowWindow(hwnd(), SW_HIDE);
    return true;
  }
  return false;
}

void MainWindow::OnTrayMessage(LPARAM lParam) {
  switch (static_cast<UINT>(lParam)) {
    case WM_LBUTTONDBLCLK:
      ShowMainWindow();
      break;
    case WM_LBUTTONUP:
      if (KeyHeld(VK_CONTROL)) {
        PauseOrResume();
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

void MainWindow::ShowTrayMenu() {
  POINT cursor;
  GetCursorPos(&cursor);
  SetForegroundWindow(hwnd());
  TrackPopupMenu(trayMenu_.get(), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, hwnd(), nullptr);
  PostMessageW(hwnd(), WM_NULL, 0, 0);
}

void MainWindow::OnCommand(int id) {
  static constexpr Command<MainWindow> kButtons[] = {
      {IDC_MAIN_ADD, &MainWindow::AddEntry},
      {IDC_MAIN_CHANGE, &MainWindow::ChangeEntry},
      {IDC_MAIN_DELETE, &MainWindow::DeleteEntries},
      {IDC_MAIN_HIDE, &MainWindow::OnHideButton},
      {IDC_MAIN_CLOSE, &MainWindow::OnCloseButton},
      {IDM_NEW_SCHEME, &MainWindow::NewScheme},
      {IDM_SET_PASSWORD, &MainWindow::SetSchemePassword},
      {IDM_SETTINGS, &MainWindow::OpenSettings},
      {IDM_UPDATE, &MainWindow::RunLegacyConversion},
      {IDM_HOME_PAGE, &MainWindow::OpenHomePage},
      {IDM_MAIL, &MainWindow::WriteMail},
      {IDM_HELP, &MainWindow::OpenHelpFile},
  };
  if (DispatchCommand(kButtons, *this, id)) return;
  if (OnSchemeCommand(id)) return;
  if (DispatchMenuCommand<MainWindow>(kMenuBar, *this, static_cast<UINT>(id))) return;
  if (DispatchMenuCommand<MainWindow>(kTrayMenu, *this, static_cast<UINT>(id))) return;
  DispatchMenuCommand<MainWindow>(kListMenu, *this, static_cast<UINT>(id));
}

LRESULT MainWindow::OnNotify(const NMHDR& header) {
  if (header.hwndFrom != listView_) return 0;
  switch (header.code) {
    case NM_CLICK:
      OnListClick();
      break;
    case NM_DBLCLK:
      OnListDoubleClick();
      break;
    case LVN_COLUMNCLICK:
      SortByColumn(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
      break;
    case NM_CUSTOMDRAW:
      return OnListCustomDraw(
          const_cast<NMLVCUSTOMDRAW&>(reinterpret_cast<const NMLVCUSTOMDRAW&>(header)));
    case LVN_ITEMCHANGED: {
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      if (!fillingRows_ && (change.uChanged & LVIF_STATE) && change.iItem >= 0 &&
          ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK) &&
          (change.uOldState & LVIS_STATEIMAGEMASK) != 0) {
        const bool on = (change.uNewState & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
        PostMessageW(hwnd(), kEntrySwitchMessage, ListRowData(listView_, change.iItem), on);
      }
      if ((change.uChanged & LVIF_STATE) &&
          ((change.uNewState ^ change.uOldState) & LVIS_SELECTED) && change.iItem >= 0) {
        ShowSelectedEntry(change.iItem);
      }
      break;
    }
    case LVN_KEYDOWN:
      if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_DELETE) DeleteEntries();
      break;
    case LVN_GETINFOTIPW: {
      auto& tip = const_cast<NMLVGETINFOTIPW&>(reinterpret_cast<const NMLVGETINFOTIPW&>(header));
      const auto slot = static_cast<size_t>(ListRowData(listView_, tip.iItem));
      if (slot < kSlotCount && tip.cchTextMax > 0) {
        const std::wstring hint = Widen(service_.slots()[slot].hint);
        lstrcpynW(tip.pszText, hint.c_str(), tip.cchTextMax);
      }
      break;
    }
    default:
      break;
  }
  return 0;
}

void MainWindow::OnMenuSelect(HMENU menu, UINT item, UINT flags) {
  if (flags == 0xFFFF && !menu) {  // the menu closed
    SetStatus(selectionText_);
    return;
  }
  std::string hint;
  if (flags & MF_POPUP) {
    hint = PopupHint(menu, item, menuBar(), trayMenu_.get());
  } else if (auto text = MenuHint<MainWindow>(kMenuBar, item); !text.empty()) {
    hint = text;
  } else if (auto tray = MenuHint<MainWindow>(kTrayMenu, item); !tray.empty()) {
    hint = tray;
  } else if (auto list = MenuHint<MainWindow>(kListMenu, item); !list.empty()) {
    hint = list;
  } else if (item == IDM_DELETE_SCHEME) {
    hint = "删除方案";
  } else if (item >= IDM_OPEN_SCHEME_FIRST && item < IDM_DELETE_SCHEME_FIRST + IDM_SCHEME_LIMIT) {
    hint = MenuItemText(menu, item);  // a scheme's hint is its file name
  }
  SetStatus(hint);
}

void MainWindow::OnSetCursor(HWND control) {
  if (control == hintControl_) return;
  hintControl_ = control;
  const int id = GetDlgCtrlID(control);
  for (const ControlHint& entry : kControlHints) {
    if (entry.id == id && GetParent(control) == hwnd()) {
      SetStatus(entry.hint);
      return;
    }
  }
  SetStatus(selectionText_);
}

void MainWindow::OnClose() {
  service_.UnregisterHotkeys(true);
  foreground_.reset();
  if (dispatcher_) dispatcher_->RequestStop();
  platform_.BeginShutdown();
  tray_.reset();
  DestroyWindow(hwnd());
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_HOTKEY:
      RunGuarded(platform_, [&] { OnHotkey(lParam); });
      return 0;
    case WM_SYSCOMMAND:
      if (OnSysCommand(wParam)) return 0;
      break;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_MAIN_FILTER) {
        if (HIWORD(wParam) == EN_CHANGE) RunGuarded(platform_, [&] { FilterChange(); });
        return 0;
      }
      RunGuarded(platform_, [&] { OnCommand(LOWORD(wParam)); });
      return 0;
    case kEntrySwitchMessage:
      RunGuarded(platform_, [&] { SwitchEntry(static_cast<int>(wParam), lParam != 0); });
      return 0;
    case WM_NOTIFY: {
      LRESULT result = 0;
      RunGuarded(platform_, [&] { result = OnNotify(*reinterpret_cast<const NMHDR*>(lParam)); });
      return result;
    }
    case WM_CONTEXTMENU:
      if (listView_ && reinterpret_cast<HWND>(wParam) == listView_) {
        POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (point.x == -1 && point.y == -1) GetCursorPos(&point);  // from the keyboard
        RunGuarded(platform_, [&] { ShowListMenu(point); });
        return 0;
      }
      break;
    case WM_MENUSELECT:
      OnMenuSelect(reinterpret_cast<HMENU>(lParam), LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_SETCURSOR:
      OnSetCursor(reinterpret_cast<HWND>(wParam));
      break;
    case WM_DROPFILES:
      RunGuarded(platform_, [&] { OnDropFiles(reinterpret_cast<HDROP>(wParam)); });
      return 0;
    case WM_SHOWWINDOW:
      // About to be shown for the first time: the controls are made now,
      // before anything is painted. The list's icons exist only while it can
      // be seen: shown, the current entries get theirs; hidden, they are
      // given back.
      if (!wParam) {
        ReleaseIcons();
      } else {
        RunGuarded(platform_, [&] {
          EnsureControls();
          if (iconsStale_) AssignIcons();
        });
      }
      break;
    case WM_SIZE:
    case WM_DPICHANGED:
      if (message == WM_DPICHANGED) {
        Window::HandleMessage(message, wParam, lParam);
        ShowWindowIcons();
      }
      // Without controls there is nothing to place; making them lays them
      // out for the DPI of that moment.
      if (!listView_) return 0;
      layout_.Apply(hwnd());
      ScaleColumns();
      return 0;
    case kTrayMessage:
      RunGuarded(platform_, [&] { OnTrayMessage(lParam); });
      return 0;
    case Win32Platform::kRunCallMessage:
      RunGuarded(platform_, [&] { Win32Platform::RunPendingCall(lParam); });
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_TIMER:
      if (wParam == TrayIcon::kRetryTimer && tray_) {
        tray_->Retry();
        return 0;
      }
      break;
    default:
      if (message == taskbarCreatedMessage_ && tray_) tray_->Restore();
      if (message == showRequestMessage_ && showRequestMessage_) {
        // The later start waits for the answer only: the window is shown
        // (its password prompt first) once the start has ended.
        PostMessageW(hwnd(), WM_COMMAND, IDM_TRAY_SHOW, 0);
        return kShowRunningCopyAnswer;
      }
      break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace tav
