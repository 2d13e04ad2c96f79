// The main window as a user meets it: the list and its order, deleting
// several entries, the three scheme menus, the lock images, the refused
// mark, the pause images, start at log-on, the about box and the help
// binding's errors.
#include <gtest/gtest.h>

#include <filesystem>

#include "actions/TextCipher.h"
#include "app/EditorHost.h"
#include "app/MainWindow.h"
#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/PathConversion.h"
#include "help/AboutBox.h"
#include "help/HelpBinding.h"
#include "help/NetLabel.h"
#include "platform/win32/Controls.h"
#include "platform/win32/Dpi.h"
#include "platform/win32/Menus.h"
#include "platform/win32/Wide.h"
#include "res/resource.h"
#include "storage/SchemeFile.h"
#include "storage/SettingsFile.h"
#include "tests/win32/Win32TestSupport.h"

namespace tav::test {
namespace {

struct Entry {
  std::string key, action, hint, category;
};

std::string Xml(const std::vector<Entry>& entries, const std::string& password = "") {
  std::string xml = "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<velmora><set><password>" +
                    password + "</password></set><hotkeylist>";
  for (const Entry& e : entries) {
    xml += "<hotkeyset><hotkey>" + e.key + "</hotkey><action>" + e.action + "</action><hint>" +
           e.hint + "</hint><sort>" + e.category + "</sort></hotkeyset>";
  }
  return xml + "</hotkeylist></velmora>\r\n";
}

std::vector<std::string> Column(HWND list, int column) {
  std::vector<std::string> texts;
  for (int row = 0; row < ListView_GetItemCount(list); ++row)
    texts.push_back(ListItemText(list, row, column));
  return texts;
}

std::vector<std::string> MenuTexts(HMENU menu) {
  std::vector<std::string> texts;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
    texts.push_back(Narrow(text));
  }
  return texts;
}

bool CheckedAt(HMENU menu, int position) {
  return (GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) & MF_CHECKED) != 0;
}

bool HasImageAt(HMENU menu, int position) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_BITMAP;
  GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
  return info.hbmpItem != nullptr;
}

bool IsRadioItem(HMENU menu, int position) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE;
  GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
  return (info.fType & MFT_RADIOCHECK) != 0;
}

void Select(HWND list, std::initializer_list<int> rows) {
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
  for (int row : rows) ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
}

std::vector<HWND> Children(HWND window) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

int RowImage(HWND list, int row) {
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  ListView_GetItem(list, &item);
  return item.iImage;
}

class MainWindowTest : public ::testing::Test {
 protected:
  void Start(const std::string& name, const std::string& xml) {
    directory_ = MakeProgramDirectory(name, xml);
    std::filesystem::create_directories(PathFromUtf8(directory_ + "Data"));
  }
  void Create() {
    form_ = std::make_unique<MainWindow>(platform_, directory_, login_, scheme_);
    ASSERT_TRUE(form_->Create());
    form_->SetHotkeyEditor(
        [this](const HotkeyEditorRequest& request) { requests_.push_back(request); });
  }
  void TearDown() override {
    if (form_) form_->UnregisterHotkeys(true);
  }
  HWND list() const { return form_->listView(); }
  void Command(int id) { SendMessageW(form_->hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }

  QuietWin32Platform platform_;
  SchemeState scheme_;
  PasswordPrompt login_{platform_, scheme_.rememberedPassword};
  std::string directory_;
  std::unique_ptr<MainWindow> form_;
  std::vector<HotkeyEditorRequest> requests_;
};

TEST_F(MainWindowTest, ListsEntriesInFileOrderAndSortsByHeaderClicks) {
  Start("list", Xml({{"3+66", "notepad.exe", "记事本", "工具"},
                     {"2+65", "calc.exe", "计算器", "系统"},
                     {"1+67", "cmd.exe", "命令行", "网络"}}));
  Create();
  EXPECT_EQ(Column(list(), 0), (std::vector<std::string>{"Ctrl + ALT + B", "Ctrl + A", "Alt + C"}));
  EXPECT_EQ(Column(list(), 1), (std::vector<std::string>{"notepad.exe", "calc.exe", "cmd.exe"}));
  EXPECT_EQ(Column(list(), 2), (std::vector<std::string>{"工具", "系统", "网络"}));

  // "ALT + C" < "CTRL + A" < "CTRL + ALT + B": letters compare folded, a
  // shorter text first.
  form_->SortByColumn(0);
  EXPECT_EQ(Column(list(), 1), (std::vector<std::string>{"cmd.exe", "calc.exe", "notepad.exe"}));
  form_->SortByColumn(0);  // the same header again: descending
  EXPECT_EQ(Column(list(), 1), (std::vector<std::string>{"notepad.exe", "calc.exe", "cmd.exe"}));
  form_->SortByColumn(2);  // another header: ascending by category, GB2312 order
  EXPECT_EQ(Column(list(), 2), (std::vector<std::string>{"工具", "网络", "系统"}));
}

TEST_F(MainWindowTest, ChildControlsAreMadeAtTheFirstShowFromTheLoadedEntries) {
  Start("lazy", Xml({{"3+87", "关闭计算机", "", "系统"},
                     {"3+66", "b.exe", "", "工具"},
                     {"3+87", "dup.exe", "", "其他"}}));
  Create();
  const HWND window = form_->hwnd();
  EXPECT_TRUE(Children(window).empty()) << "hidden in the tray the window has no controls";
  EXPECT_TRUE(CombinationTaken(MOD_CONTROL | MOD_ALT, 'W'));
  EXPECT_TRUE(CombinationTaken(MOD_CONTROL | MOD_ALT, 'B'));
  EXPECT_EQ(form_->StatusText(), "");
  EXPECT_TRUE(Children(window).empty()) << "reading the status text makes none";

  ShowWindow(window, SW_SHOWNORMAL);
  const std::vector<HWND> children = Children(window);
  EXPECT_EQ(children.size(), 9u);  // the filter above the list included
  const HWND rows = FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr);
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(rows, list());
  EXPECT_EQ(Column(rows, 0),
            (std::vector<std::string>{"Ctrl + ALT + W", "Ctrl + ALT + B", "Ctrl + ALT + W"}));
  EXPECT_EQ(Column(rows, 1), (std::vector<std::string>{"关闭计算机", "b.exe", "dup.exe"}));
  EXPECT_EQ(Column(rows, 2), (std::vector<std::string>{"系统", "工具", "其他"}));
  const UINT dpi = DpiForWindow(window);
  EXPECT_EQ(Header_GetItemCount(ListView_GetHeader(rows)), 3);
  // The hotkey column takes what its texts need beside the check box and the
  // icon from the action column; the two keep their 285 pixels together.
  EXPECT_EQ(ListView_GetColumnWidth(rows, 0) + ListView_GetColumnWidth(rows, 1),
            ScaleForDpi(285, dpi));
  for (int row = 0; row < 3; ++row) {
    RECT label{};
    ListView_GetItemRect(rows, row, &label, LVIR_LABEL);
    wchar_t text[64] = {};
    ListView_GetItemText(rows, row, 0, text, 64);
    EXPECT_GE(label.right - label.left, ListView_GetStringWidth(rows, text) + ScaleForDpi(6, dpi))
        << "row " << row << " at " << dpi;
  }
  EXPECT_NE(FindWindowExW(window, nullptr, STATUSCLASSNAMEW, nullptr), nullptr);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, IDC_MAIN_ADD)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, IDC_MAIN_CHANGE)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, IDC_MAIN_DELETE)));
  // Laid out for the window's DPI, in its font.
  RECT listRect{};
  GetWindowRect(rows, &listRect);
  EXPECT_EQ(listRect.right - listRect.left, ScaleForDpi(354, dpi));
  for (HWND child : children) {
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)), UiFont(dpi))
        << "control " << GetDlgCtrlID(child) << " at " << dpi;
  }
  // The icons, with the mark of the row whose hotkey the first row holds.
  ASSERT_NE(ListView_GetImageList(rows, LVSIL_SMALL), nullptr);
  EXPECT_EQ(RowImage(rows, 2), RowImage(rows, 0) + 1);

  // Hidden and shown again: the same controls, no second set.
  ShowWindow(window, SW_HIDE);
  ShowWindow(window, SW_SHOWNORMAL);
  EXPECT_EQ(Children(window), children);
  EXPECT_EQ(ListView_GetItemCount(rows), 3);
}

TEST_F(MainWindowTest, WhatChangesBeforeTheFirstShowIsWhatItShows) {
  Start("lazy-switch", Xml({{"3+65", "a.exe", "", ""}}));
  WriteSchemeFile(directory_ + "Data\\工作.xml",
                  Xml({{"3+67", "c.exe", "", "工"}, {"3+68", "d.exe", "", "具"}}));
  Create();
  // The scheme switched from the tray menu while the window was never shown.
  Command(IDM_TRAY_SCHEME_FIRST);
  EXPECT_EQ(form_->scheme().activePath, directory_ + "Data\\工作.xml");
  EXPECT_TRUE(CombinationTaken(MOD_CONTROL | MOD_ALT, 'D'));
  EXPECT_FALSE(CombinationTaken(MOD_CONTROL | MOD_ALT, 'A'));
  // Then its file changed and an editing dialog reloaded it.
  WriteSchemeFile(
      directory_ + "Data\\工作.xml",
      Xml({{"3+67", "c.exe", "", "工"}, {"3+68", "d.exe", "", "具"}, {"3+69", "e.exe", "", "新"}}));
  MainWindowEditorHost(*form_).ResetAndLoad();
  // A hint of the tray menu went to the status bar.
  SendMessageW(form_->hwnd(), WM_MENUSELECT, MAKEWPARAM(IDM_TRAY_SHOW, MF_HILITE),
               reinterpret_cast<LPARAM>(form_->trayMenu()));
  EXPECT_EQ(form_->StatusText(), "显示主窗体");
  EXPECT_TRUE(Children(form_->hwnd()).empty());

  ShowWindow(form_->hwnd(), SW_SHOWNORMAL);
  ASSERT_NE(FindWindowExW(form_->hwnd(), nullptr, WC_LISTVIEWW, nullptr), nullptr);
  EXPECT_EQ(Column(list(), 1), (std::vector<std::string>{"c.exe", "d.exe", "e.exe"}));
  EXPECT_EQ(Column(list(), 2), (std::vector<std::string>{"工", "具", "新"}));
  EXPECT_EQ(form_->StatusText(), "显示主窗体");
  EXPECT_NE(ListView_GetImageList(list(), LVSIL_SMALL), nullptr);
  // Hidden again, a reload by an editing dialog (opened from the tray)
  // leaves the icons to the next show.
  ShowWindow(form_->hwnd(), SW_HIDE);
  MainWindowEditorHost(*form_).ResetAndLoad();
  EXPECT_EQ(ListView_GetImageList(list(), LVSIL_SMALL), nullptr);
  ShowWindow(form_->hwnd(), SW_SHOWNORMAL);
  EXPECT_NE(ListView_GetImageList(list(), LVSIL_SMALL), nullptr);
}

// Keys that an elevated target would drop: shown, the window says so in its
// status bar; hidden, the status bar keeps its text (a balloon tells it).
TEST_F(MainWindowTest, NoticeOfAnElevatedTargetGoesToTheStatusBarWhenShown) {
  Start("notice", Xml({{"3+65", "a.exe", "", ""}}));
  Create();
  form_->ShowNotice(kElevatedTargetMessage);
  EXPECT_EQ(form_->StatusText(), "");
  ShowWindow(form_->hwnd(), SW_SHOWNORMAL);
  form_->ShowNotice(kElevatedTargetMessage);
  EXPECT_EQ(form_->StatusText(), "目标程序以管理员身份运行，无法向其发送按键或粘贴。");
}

TEST_F(MainWindowTest, SelectionRulesAndTheEditorHandOff) {
  Start(
      "selection",
      Xml({{"3+65", "a.exe", "A", "x"}, {"3+66", "b.exe", "B", "y"}, {"3+67", "c.exe", "C", "z"}}));
  Create();
  list();  // the window was never shown: the controls are made on demand
  HWND change = GetDlgItem(form_->hwnd(), IDC_MAIN_CHANGE);
  HWND remove = GetDlgItem(form_->hwnd(), IDC_MAIN_DELETE);
  EXPECT_FALSE(IsWindowEnabled(change));
  EXPECT_FALSE(IsWindowEnabled(remove));
  form_->SortByColumn(1);
  form_->SortByColumn(1);  // c, b, a
  Select(list(), {0, 1, 2});
  form_->OnListClick();
  EXPECT_FALSE(IsWindowEnabled(change));
  EXPECT_TRUE(IsWindowEnabled(remove));
  form_->OnListMenuPopup();
  EXPECT_TRUE(IsWindowEnabled(change));
  EXPECT_FALSE(GetMenuState(form_->listMenu(), IDM_LIST_CHANGE, MF_BYCOMMAND) & MF_GRAYED);
  form_->ChangeEntry();  // the first selected in list order: c.exe, slot 2
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_EQ(requests_[0].caption, "修改热键");
  EXPECT_EQ(requests_[0].slot, 2);
  EXPECT_EQ(requests_[0].action, "c.exe");
  EXPECT_EQ(requests_[0].hint, "C");

  Select(list(), {});
  form_->OnListClick();
  EXPECT_FALSE(IsWindowEnabled(change));
  EXPECT_FALSE(IsWindowEnabled(remove));
  form_->ChangeEntry();
  EXPECT_EQ(platform_.messages.back(), "请选择您要修改的热键|Tavrelin 4.6.0 Final");

  form_->OnFilesDropped({"C:\\Tools\\便笺.exe", "C:\\Tools\\other.exe"});
  ASSERT_EQ(requests_.size(), 2u);
  EXPECT_EQ(requests_[1].caption, "添加热键");
  EXPECT_EQ(requests_[1].action, "C:\\Tools\\便笺.exe");
  EXPECT_EQ(requests_[1].hint, "便笺.exe");
}

TEST_F(MainWindowTest, DeletingSeveralEntriesLeavesTheOthers) {
  Start("delete", Xml({{"3+65", "a.exe", "", ""},
                       {"3+66", "b.exe", "", ""},
                       {"3+67", "c.exe", "", ""},
                       {"3+68", "d.exe", "", ""}}));
  Create();
  list();  // the window was never shown: the controls are made on demand
  form_->SortByColumn(1);
  form_->SortByColumn(1);  // d, c, b, a
  Select(list(), {0, 2});  // d.exe and b.exe
  form_->DeleteEntries();  // the quiet platform answers OK
  EXPECT_EQ(platform_.messages.back(), "您真的决定要删除您所选定的这2个热键吗？|删除热键");
  EXPECT_EQ(Column(list(), 1), (std::vector<std::string>{"a.exe", "c.exe"}));
  EXPECT_EQ(form_->sort().lastColumn(), -1);
  SchemeDocument document;
  document.Load(form_->DefaultSchemePath());
  ASSERT_EQ(document.EntryCount(), 2);
  EXPECT_EQ(document.Entry(1).action, "c.exe");
  EXPECT_TRUE(CombinationTaken(MOD_CONTROL | MOD_ALT, 'C'));
  EXPECT_FALSE(CombinationTaken(MOD_CONTROL | MOD_ALT, 'D'));
}

TEST_F(MainWindowTest, DeletingTheActiveSchemeKeepsTheThreeMenusInStep) {
  Start("menus", Xml({{"3+65", "a.exe", "", ""}}));
  WriteSchemeFile(directory_ + "Data\\工作.xml", Xml({{"3+66", "b.exe", "", ""}}));
  WriteSchemeFile(directory_ + "Data\\锁.xml",
                  Xml({}, DigestText("pw")));  // protected: shows the lock
  Create();
  ASSERT_EQ(GetMenuItemCount(form_->MainSchemeMenu()), 4);
  ASSERT_EQ(GetMenuItemCount(form_->TraySchemeMenu()), 4);
  ASSERT_EQ(GetMenuItemCount(form_->DeleteSchemeMenu()), 2);
  EXPECT_TRUE(CheckedAt(form_->MainSchemeMenu(), 0));
  EXPECT_TRUE(CheckedAt(form_->TraySchemeMenu(), 0));
  const std::vector<std::string> names = MenuTexts(form_->DeleteSchemeMenu());
  const int work = names[0] == "工作.xml" ? 0 : 1;
  for (HMENU menu : {form_->MainSchemeMenu(), form_->TraySchemeMenu()}) {
    EXPECT_FALSE(HasImageAt(menu, 0));
    EXPECT_FALSE(HasImageAt(menu, 2 + work));
    EXPECT_TRUE(HasImageAt(menu, 2 + (1 - work))) << "the protected scheme's lock";
  }

  Command(IDM_TRAY_SCHEME_FIRST + work);  // open 工作.xml from the tray
  EXPECT_TRUE(CheckedAt(form_->MainSchemeMenu(), 2 + work));
  EXPECT_TRUE(CheckedAt(form_->TraySchemeMenu(), 2 + work));
  for (int k : {0, 1}) {
    EXPECT_FALSE(CheckedAt(form_->DeleteSchemeMenu(), k)) << "a delete item is never checked";
    EXPECT_FALSE(IsRadioItem(form_->DeleteSchemeMenu(), k));
  }
  EXPECT_EQ(Column(list(), 1), (std::vector<std::string>{"b.exe"}));

  Command(IDM_DELETE_SCHEME_FIRST + work);  // the quiet platform answers OK
  EXPECT_FALSE(std::filesystem::exists(PathFromUtf8(directory_ + "Data\\工作.xml")));
  for (HMENU menu : {form_->MainSchemeMenu(), form_->TraySchemeMenu()}) {
    EXPECT_EQ(MenuTexts(menu), (std::vector<std::string>{"默认设置", "", "锁.xml"}));
    EXPECT_TRUE(CheckedAt(menu, 0)) << "the default scheme is active again";
  }
  EXPECT_EQ(MenuTexts(form_->DeleteSchemeMenu()), (std::vector<std::string>{"锁.xml"}));
  EXPECT_EQ(Column(list(), 1), (std::vector<std::string>{"a.exe"}));
  EXPECT_EQ(TextOf(form_->hwnd()), "Tavrelin 4.6.0 Final -> 默认设置");
}

TEST_F(MainWindowTest, MissingSchemeFilesLeaveTheMenusAsTheyWere) {
  Start("missing", Xml({}));
  std::filesystem::remove(PathFromUtf8(directory_ + "hotkey.xml"));
  WriteSchemeFile(directory_ + "Data\\工作.xml", Xml({{"3+66", "b.exe", "", ""}}));
  Create();
  EXPECT_EQ(platform_.messages, std::vector<std::string>{"配置文件“hotkey.xml”不存在|"});
  for (HMENU menu : {form_->MainSchemeMenu(), form_->TraySchemeMenu()}) {
    EXPECT_FALSE(CheckedAt(menu, 0)) << "the default scheme did not open";
    EXPECT_FALSE(HasImageAt(menu, 0)) << "a missing file protects nothing";
  }

  Command(IDM_OPEN_SCHEME_FIRST);
  std::filesystem::remove(PathFromUtf8(directory_ + "Data\\工作.xml"));
  Command(IDM_TRAY_SCHEME_FIRST);  // the file has vanished meanwhile
  EXPECT_EQ(platform_.messages.back(), "配置文件“工作.xml”不存在|");
  EXPECT_EQ(MenuTexts(form_->DeleteSchemeMenu()), std::vector<std::string>{"工作.xml"});
  for (HMENU menu : {form_->MainSchemeMenu(), form_->TraySchemeMenu()}) {
    EXPECT_EQ(MenuTexts(menu), (std::vector<std::string>{"默认设置", "", "工作.xml"}));
    EXPECT_TRUE(CheckedAt(menu, 2));
  }
  EXPECT_EQ(TextOf(form_->hwnd()), "Tavrelin 4.6.0 Final->工作.xml");
  EXPECT_EQ(Column(list(), 1), (std::vector<std::string>{"b.exe"}));
}

TEST_F(MainWindowTest, SubmenuItemsShowTheirHints) {
  Start("hints", Xml({}));
  WriteSchemeFile(directory_ + "Data\\工作.xml", Xml({}));
  Create();
  HMENU settings = GetSubMenu(form_->menuBar(), 1);
  const struct {
    HMENU menu;
    int position;
    const char* hint;
  } cases[] = {
      {settings, 2, "选择热键设置方案"},
      {settings, 3, "编辑热键设置方案"},
      {GetSubMenu(settings, 3), 1, "删除方案"},
      {form_->trayMenu(), 3, "热键设置方案"},
  };
  for (const auto& c : cases) {
    SendMessageW(form_->hwnd(), WM_MENUSELECT, MAKEWPARAM(c.position, MF_POPUP | MF_HILITE),
                 reinterpret_cast<LPARAM>(c.menu));
    EXPECT_EQ(form_->StatusText(), c.hint);
  }
}

TEST_F(MainWindowTest, RefusedAndIconlessEntriesGetTheirImages) {
  HWND holder = CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                nullptr, nullptr);
  ASSERT_TRUE(RegisterHotKey(holder, 1, MOD_CONTROL | MOD_ALT, 'Q'));
  Start("refused", Xml({{"3+87", "关闭计算机", "", ""},
                        {"3+81", "notepad.exe", "", ""},
                        {"3+87", "calc.exe", "", ""}}));
  Create();
  // Hidden in the tray the rows have no icons yet; showing gives them theirs.
  EXPECT_EQ(ListView_GetImageList(list(), LVSIL_SMALL), nullptr);
  ShowWindow(form_->hwnd(), SW_SHOWNORMAL);
  ASSERT_NE(ListView_GetImageList(list(), LVSIL_SMALL), nullptr);
  const int fallback = RowImage(list(), 0);  // a built-in operation has no file icon
  EXPECT_EQ(RowImage(list(), 1), fallback + 1);
  EXPECT_EQ(RowImage(list(), 2), fallback + 1);
  // Hiding gives the icons back; entries loaded while hidden get the right
  // marks at the next show: Ctrl+Alt+Q is free now, so no row is refused.
  ShowWindow(form_->hwnd(), SW_HIDE);
  EXPECT_EQ(ListView_GetImageList(list(), LVSIL_SMALL), nullptr);
  UnregisterHotKey(holder, 1);
  form_->Reload();
  ShowWindow(form_->hwnd(), SW_SHOWNORMAL);
  ASSERT_NE(ListView_GetImageList(list(), LVSIL_SMALL), nullptr);
  EXPECT_NE(RowImage(list(), 1), fallback + 1);
  EXPECT_EQ(RowImage(list(), 2), fallback + 1) << "still the duplicate of the first row";
  form_->UnregisterHotkeys(true);
  ASSERT_TRUE(RegisterHotKey(holder, 1, MOD_CONTROL | MOD_ALT, 'Q'));
  form_->Reload();
  Select(list(), {1});
  EXPECT_EQ(form_->StatusText(), "热键未生效：已被其他程序占用");
  Select(list(), {2});
  EXPECT_EQ(form_->StatusText(), "热键未生效：与第 1 项热键重复");
  Select(list(), {0});
  EXPECT_EQ(form_->StatusText(), "关闭计算机");
  UnregisterHotKey(holder, 1);
  DestroyWindow(holder);
}

TEST_F(MainWindowTest, PauseSwitchesTheImagesAndTheWindowIcon) {
  Start("pause", Xml({{"3+77", "notepad.exe", "", ""}}));
  Create();
  const HICON running = form_->WindowIcon();
  form_->PauseOrResume();
  EXPECT_NE(form_->WindowIcon(), running);
  EXPECT_EQ(MenuItemText(form_->menuBar(), IDM_MAIN_STOP), "开始工作");
  EXPECT_EQ(MenuItemText(form_->trayMenu(), IDM_TRAY_STOP), "开始工作");
  form_->PauseOrResume();
  EXPECT_EQ(form_->WindowIcon(), running);
  EXPECT_EQ(MenuItemText(form_->menuBar(), IDM_MAIN_STOP), "停止工作");
}

// A first start (no set.ini yet) says once where the program went and how to
// open it: the hotkey of the entry that shows the main window, or the icon.
TEST_F(MainWindowTest, FirstStartSaysWhereTheProgramIs) {
  const struct {
    const char* name;
    std::vector<Entry> entries;
    bool settingsExist;
    std::wstring balloon;
  } cases[] = {
      {"first-hotkey",
       {{"3+78", "notepad.exe", "", ""}, {"3+83", "显示Tavrelin $$/主窗口", "", ""}},
       false,
       L"Tavrelin 已在通知区域运行，按 Ctrl + ALT + S 打开主窗口"},
      {"first-icon",
       {{"3+78", "notepad.exe", "", ""}},
       false,
       L"Tavrelin 已在通知区域运行，双击通知区域的图标打开主窗口"},
      {"later", {{"3+83", "显示Tavrelin", "", ""}}, true, L""},
  };
  for (const auto& c : cases) {
    Start(c.name, Xml(c.entries));
    if (c.settingsExist) WriteFileAtomically(directory_ + "set.ini", "[System]\r\n");
    Create();
    EXPECT_EQ(form_->tray().lastBalloon(), c.balloon) << c.name;
    form_->UnregisterHotkeys(true);
    form_.reset();
  }
}

TEST_F(MainWindowTest, QuietInFullScreenShowsInTheTrayOnlyWithTheSettingOn) {
  const struct {
    bool settingOn, fullScreen;
    const wchar_t* tip;
    bool pausedIcon;
  } cases[] = {
      {true, true, L"Tavrelin（全屏程序运行中，热键暂停）", true},
      {true, false, L"Tavrelin", false},
      {false, true, L"Tavrelin", false},
  };
  Start("quiet", Xml({{"3+77", "notepad.exe", "", ""}}));
  for (const auto& c : cases) {
    SettingsChange change;
    change.quietInFullScreen = c.settingOn;
    SettingsFile(directory_).Write(change);
    form_ = std::make_unique<MainWindow>(platform_, directory_, login_, scheme_);
    form_->fullScreenBusy = [&] { return c.fullScreen; };
    ASSERT_TRUE(form_->Create());
    EXPECT_EQ(form_->TrayTip(), c.tip) << c.settingOn << c.fullScreen;
    const HICON shown = form_->WindowIcon();
    form_->PauseOrResume();  // paused by the user: the paused icon, the plain tip
    EXPECT_EQ(shown == form_->WindowIcon(), c.pausedIcon) << c.settingOn << c.fullScreen;
    EXPECT_EQ(form_->TrayTip(), L"Tavrelin");
    form_->UnregisterHotkeys(true);
    form_.reset();
  }
}

// The sizes an icon resource holds.
std::vector<int> IconResourceSizes(int id) {
  const HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_GROUP_ICON);
  const auto* group = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  std::vector<int> sizes;
  if (!group) return sizes;
  const int count = group[4] | (group[5] << 8);
  for (int i = 0; i < count; ++i) sizes.push_back(group[6 + 14 * i] ? group[6 + 14 * i] : 256);
  return sizes;
}

// The tray and window icons come in the sizes of 100% to 200%, and the window
// takes those of its DPI.
TEST_F(MainWindowTest, IconsComeInEverySizeAndTheWindowTakesItsDpis) {
  for (const int id : {IDI_TRAY_NORMAL, IDI_TRAY_PAUSED})
    EXPECT_EQ(IconResourceSizes(id), (std::vector<int>{16, 20, 24, 32, 48})) << id;
  Start("icons", Xml({}));
  Create();
  const UINT dpi = DpiForWindow(form_->hwnd());
  EXPECT_EQ(IconWidth(form_->WindowIcon()), SystemMetricForDpi(SM_CXSMICON, dpi));
  EXPECT_EQ(
      IconWidth(reinterpret_cast<HICON>(SendMessageW(form_->hwnd(), WM_GETICON, ICON_BIG, 0))),
      SystemMetricForDpi(SM_CXICON, dpi));
}

TEST_F(MainWindowTest, StartAtLogOnShowsWhatIsStored) {
  Start("autorun", Xml({}));
  Create();
  const bool before = GetMenuState(form_->menuBar(), IDM_AUTORUN, MF_BYCOMMAND) & MF_CHECKED;
  form_->ToggleStartAtLogon();
  const std::optional<std::string> machine =
      platform_.ReadRunValue(RunKey::kMachine, "tarnu_hotkey");
  const std::optional<std::string> user =
      platform_.ReadRunValue(RunKey::kCurrentUser, "tarnu_hotkey");
  const bool stored = (machine && !machine->empty()) || (user && !user->empty());
  EXPECT_EQ((GetMenuState(form_->menuBar(), IDM_AUTORUN, MF_BYCOMMAND) & MF_CHECKED) != 0, stored);
  EXPECT_NE(stored, before);
  form_->ToggleStartAtLogon();  // back as it was
  EXPECT_EQ((GetMenuState(form_->menuBar(), IDM_AUTORUN, MF_BYCOMMAND) & MF_CHECKED) != 0, before);
}

TEST_F(MainWindowTest, AboutBoxTexts) {
  Start("about", Xml({}));
  Create();
  std::vector<std::string> texts;
  std::vector<std::string> opened;
  NetLabel::SetOpener([&](HWND, const std::string& address) { opened.push_back(address); });
  DialogWatch watch(L"Tavrelin 4.6.0 Final", [&](HWND box) {
    for (int id : {IDC_ABOUT_VERSION, IDC_ABOUT_HOMEPAGE, IDC_ABOUT_MAIL})
      texts.push_back(ItemText(box, id));
    NetLabel* home = NetLabel::From(GetDlgItem(box, IDC_ABOUT_HOMEPAGE));
    EXPECT_EQ(home->state().color(), Rgb(0, 0, 255));
    EXPECT_TRUE(home->state().underline());
    SendMessageW(GetDlgItem(box, IDC_ABOUT_HOMEPAGE), WM_LBUTTONUP, 0, 0);
    SendMessageW(GetDlgItem(box, IDC_ABOUT_MAIL), WM_LBUTTONUP, 0, 0);
    // "关闭" shows its picture and ends where the rule above it ends.
    HWND close = GetDlgItem(box, IDC_ABOUT_CLOSE);
    EXPECT_NE(SendMessageW(close, BM_GETIMAGE, IMAGE_ICON, 0), 0);
    RECT button{}, rule{};
    GetWindowRect(close, &button);
    GetWindowRect(GetDlgItem(box, IDC_ABOUT_RULE), &rule);
    EXPECT_NEAR(button.right, rule.right, 2);  // position and width rounded apart
    PressButton(box, IDC_ABOUT_CLOSE);
  });
  form_->ShowAbout();
  NetLabel::SetOpener(nullptr);
  EXPECT_EQ(watch.count(), 1);
  EXPECT_EQ(texts, (std::vector<std::string>{"Tavrelin 4.6.0 Final", "http://tavrelin.example.com",
                                             "tavrelin@example.com"}));
  EXPECT_EQ(opened, (std::vector<std::string>{"http://tavrelin.example.com",
                                              "mailto:tavrelin@example.com"}));
}

TEST_F(MainWindowTest, SetPasswordReencryptsEveryTextAndMarksTheMenus) {
  const std::vector<Entry> entries = {{"3+65", "a.exe", "甲", "工具"},
                                      {"3+66", "PasteLine:你好", "", "文字"},
                                      {"3+67", "c.exe", "丙", ""}};
  Start("password", Xml(entries));
  Create();
  const auto answer = [](const wchar_t* password, const wchar_t* check) {
    return [=](HWND dialog) {
      for (int id : {IDC_SETPW_PASSWORD, IDC_SETPW_CHECK})
        EXPECT_EQ(SendDlgItemMessageW(dialog, id, EM_GETPASSWORDCHAR, 0, 0), L'*');
      SetDlgItemTextW(dialog, IDC_SETPW_PASSWORD, password);
      SetDlgItemTextW(dialog, IDC_SETPW_CHECK, check);
      PressButton(dialog, IDOK);
    };
  };
  const auto stored = [&] {
    SchemeDocument document;
    document.Load(form_->DefaultSchemePath());
    std::vector<SchemeEntry> texts;
    for (int i = 0; i < document.EntryCount(); ++i) texts.push_back(document.Entry(i));
    return std::make_pair(document.Password(), texts);
  };
  const auto plain = [&](const std::string& password) {
    std::vector<SchemeEntry> texts;
    for (const Entry& e : entries) {
      const auto crypt = [&](const std::string& text) {
        return password.empty() || text.empty() ? text : EncryptText(password, text);
      };
      texts.push_back({crypt(e.key), crypt(e.action), crypt(e.hint), crypt(e.category)});
    }
    return texts;
  };
  const std::vector<std::string> shown = Column(list(), 1);

  {  // none -> set
    PasswordCharWatch passwordChars;
    DialogWatch watch(L"设置访问口令", answer(L"甲乙", L"甲乙"));
    form_->SetSchemePassword();
    EXPECT_EQ(passwordChars.ids(), (std::vector<int>{IDC_SETPW_PASSWORD, IDC_SETPW_CHECK}));
  }
  EXPECT_EQ(stored(), std::make_pair(DigestText("甲乙"), plain("甲乙")));
  EXPECT_TRUE(HasImageAt(form_->MainSchemeMenu(), 0));
  EXPECT_TRUE(HasImageAt(form_->TraySchemeMenu(), 0));
  EXPECT_EQ(Column(list(), 1), shown);

  {  // the two texts differ: nothing changes
    DialogWatch watch(L"设置访问口令", [&](HWND dialog) {
      answer(L"x", L"y")(dialog);
      PressButton(dialog, IDCANCEL);
    });
    form_->SetSchemePassword();
  }
  EXPECT_EQ(platform_.messages.back(), "两次的口令不相同！|提示");
  EXPECT_EQ(stored().first, DigestText("甲乙"));

  {  // change
    DialogWatch watch(L"设置访问口令", answer(L"new", L"new"));
    form_->SetSchemePassword();
  }
  EXPECT_EQ(stored(), std::make_pair(DigestText("new"), plain("new")));

  {  // remove
    DialogWatch watch(L"设置访问口令", answer(L"", L""));
    form_->SetSchemePassword();
  }
  EXPECT_EQ(stored(), std::make_pair(std::string(), plain("")));
  EXPECT_FALSE(HasImageAt(form_->MainSchemeMenu(), 0));
  EXPECT_FALSE(scheme_.isProtected);
  EXPECT_EQ(Column(list(), 1), shown);
}

TEST_F(MainWindowTest, AddAndNewSchemeOpenTheEditingDialogs) {
  Start("editing", Xml({{"3+65", "a.exe", "", ""}}));
  Create();
  MainWindowEditorHost host(*form_);
  EditingDialogs editing(platform_, directory_, host, SchemeMenuCallbacksFor(*form_));
  ConnectEditingDialogs(*form_, editing, directory_);
  EXPECT_FALSE(GetMenuState(form_->menuBar(), IDM_NEW_SCHEME, MF_BYCOMMAND) & MF_GRAYED);
  DialogWatch add(L"添加热键", [](HWND dialog) { PressButton(dialog, IDCANCEL); });
  form_->AddEntry();
  EXPECT_EQ(add.count(), 1);
  DialogWatch input(L"新建方案", [](HWND dialog) { PressButton(dialog, IDCANCEL); });
  Command(IDM_NEW_SCHEME);
  EXPECT_EQ(input.count(), 1);
}

TEST(HelpBindingTest, AMissingViewerIsReportedEachTime) {
  HelpBinding help(L"C:\\no-such-directory");
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      help.ShowHelp(nullptr, "C:\\Tavrelin\\帮助.chm::/AddHotkey.htm");
      ADD_FAILURE() << "no error";
    } catch (const Error& error) {
      EXPECT_STREQ(error.what(), "HHCtrl.OCX not installed!\r HTMLHELP cannot displayed!");
    }
    EXPECT_FALSE(help.loaded());
  }
}

TEST(HelpBindingTest, DownloadedHelpFileIsUnblockedOrReportedBlocked) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       (L"tav-motw-" + std::to_wstring(GetCurrentProcessId()));
  std::filesystem::create_directories(folder);
  const std::string help = Narrow((folder / L"帮助.chm").wstring());
  const std::wstring zone = Widen(help) + L":Zone.Identifier";
  WriteFileAtomically(help, "ITSF");
  const auto markFromInternet = [&] {
    HANDLE stream = CreateFileW(zone.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(stream, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(stream, "[ZoneTransfer]\r\nZoneId=3\r\n", 26, &written, nullptr);
    CloseHandle(stream);
  };

  EXPECT_EQ(UnblockHelpFile(help), HelpFileBlock::kNone);
  markFromInternet();
  EXPECT_EQ(UnblockHelpFile(help), HelpFileBlock::kUnblocked);
  EXPECT_EQ(GetFileAttributesW(zone.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(ReadWholeFile(help), "ITSF");

  // A mark that may not be removed (held open here, a read-only folder on
  // Windows) is reported, so that the user is told how.
  markFromInternet();
  HANDLE held =
      CreateFileW(zone.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(UnblockHelpFile(help), HelpFileBlock::kBlocked);
  CloseHandle(held);
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

}  // namespace
}  // namespace tav::test
