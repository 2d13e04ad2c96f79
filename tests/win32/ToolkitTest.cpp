// The window toolkit: menus from tables, UTF-8 control helpers, the layout
// table, the shared font, and dialogs (command table, error guard, modeless
// dialog keys through the message loop).
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/win32/Commands.h"
#include "platform/win32/Controls.h"
#include "platform/win32/Dialog.h"
#include "platform/win32/Layout.h"
#include "platform/win32/Menus.h"
#include "platform/win32/MessageLoop.h"
#include "res/resource.h"
#include "tests/win32/Win32TestSupport.h"

namespace tav::test {
namespace {

struct MenuOwner {
  int pauses = 0;
  int exits = 0;
  void Pause() { ++pauses; }
  void Exit() { ++exits; }
};

constexpr MenuItem<MenuOwner> kFileMenu[] = {
    {.id = 1, .caption = "暂停工作", .hint = "暂停所有热键", .handler = &MenuOwner::Pause},
    {},
    {.id = 2, .caption = "退出", .hint = "结束程序", .handler = &MenuOwner::Exit},
    {.id = 3, .caption = "方案"},
};
constexpr MenuItem<MenuOwner> kMenuBar[] = {{.caption = "文件", .submenu = kFileMenu}};

TEST(MenuTableTest, BuildsTheMenuAndAnswersHintsAndCommandsThroughPopups) {
  UniqueMenu bar = BuildMenuBar<MenuOwner>(kMenuBar);
  ASSERT_EQ(GetMenuItemCount(bar.get()), 1);
  HMENU file = GetSubMenu(bar.get(), 0);
  ASSERT_EQ(GetMenuItemCount(file), 4);
  EXPECT_TRUE(GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_EQ(MenuItemText(bar.get(), 2), "退出") << "found by command inside the popup";

  EXPECT_EQ(MenuHint<MenuOwner>(kMenuBar, 1), "暂停所有热键");
  EXPECT_EQ(MenuHint<MenuOwner>(kMenuBar, 0), "") << "popups and separators have no command";
  EXPECT_EQ(MenuHint<MenuOwner>(kMenuBar, 99), "");

  MenuOwner owner;
  EXPECT_TRUE(DispatchMenuCommand<MenuOwner>(kMenuBar, owner, 2));
  EXPECT_FALSE(DispatchMenuCommand<MenuOwner>(kMenuBar, owner, 3)) << "an item without handler";
  EXPECT_FALSE(DispatchMenuCommand<MenuOwner>(kMenuBar, owner, 99));
  EXPECT_EQ(owner.exits, 1);
  EXPECT_EQ(owner.pauses, 0);
}

TEST(MenuTableTest, ItemStateSettersAndRebuildingAPopup) {
  UniqueMenu bar = BuildMenuBar<MenuOwner>(kMenuBar);
  HMENU file = GetSubMenu(bar.get(), 0);
  SetMenuItemText(bar.get(), 1, "开始工作");
  EXPECT_EQ(MenuItemText(file, 1), "开始工作");
  SetMenuItemChecked(bar.get(), 1, true);
  SetMenuItemEnabled(bar.get(), 2, false);
  EXPECT_TRUE(GetMenuState(file, 1, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_TRUE(GetMenuState(file, 2, MF_BYCOMMAND) & MF_GRAYED);

  UniqueMenu schemes(CreatePopupMenu());
  RebuildMenu(schemes.get(),
              {{.id = 10, .caption = "默认设置"}, {}, {.id = 11, .caption = "工作"}});
  RebuildMenu(schemes.get(), {{.id = 10, .caption = "默认设置"}, {.id = 12, .caption = "游戏"}});
  ASSERT_EQ(GetMenuItemCount(schemes.get()), 2) << "the old items are gone";
  EXPECT_EQ(MenuItemText(schemes.get(), 12), "游戏");
  SetMenuRadioItem(schemes.get(), 10, 12, 12);
  EXPECT_TRUE(GetMenuState(schemes.get(), 12, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_FALSE(GetMenuState(schemes.get(), 10, MF_BYCOMMAND) & MF_CHECKED);
}

// Whether some pixel of the bitmap is drawn (not fully transparent).
bool HasOpaquePixel(HBITMAP bitmap) {
  BITMAP info{};
  GetObjectW(bitmap, sizeof info, &info);
  if (!info.bmBits || info.bmBitsPixel != 32) return false;
  const auto* pixels = static_cast<const uint32_t*>(info.bmBits);
  for (int i = 0; i < info.bmWidth * info.bmHeight; ++i) {
    if (pixels[i] >> 24) return true;
  }
  return false;
}

TEST(MenuTableTest, ItemImagesAreCutFromTheImageListOncePerIndex) {
  HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
  const auto icon = static_cast<HICON>(LoadImageW(
      GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TRAY_NORMAL), IMAGE_ICON, 16, 16, 0));
  ASSERT_TRUE(icon) << "the program's icons are linked into the tests";
  ImageList_AddIcon(list, icon);
  DestroyIcon(icon);
  {
    MenuImages images(list);
    constexpr MenuItem<MenuOwner> kItems[] = {{.id = 1, .caption = "暂停", .image = 0},
                                              {.id = 2, .caption = "退出", .image = 7}};
    UniqueMenu menu = BuildPopupMenu<MenuOwner>(kItems, &images);
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_BITMAP;
    ASSERT_TRUE(GetMenuItemInfoW(menu.get(), 1, FALSE, &item));
    EXPECT_EQ(item.hbmpItem, images.Bitmap(0)) << "one bitmap per image";
    BITMAP size{};
    GetObjectW(item.hbmpItem, sizeof size, &size);
    EXPECT_EQ(size.bmWidth, 16);
    EXPECT_TRUE(HasOpaquePixel(item.hbmpItem));
    EXPECT_EQ(images.Bitmap(7), nullptr) << "no such image";
    ASSERT_TRUE(GetMenuItemInfoW(menu.get(), 2, FALSE, &item));
    EXPECT_EQ(item.hbmpItem, nullptr);
  }
  ImageList_Destroy(list);
}

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                              nullptr, nullptr);
    ASSERT_TRUE(parent_);
  }
  void TearDown() override { DestroyWindow(parent_); }
  HWND parent_ = nullptr;
};

TEST_F(ControlsTest, ListViewRowsKeepUtf8TextsOfAnyLengthAndTheirData) {
  HWND list = CreateControl(parent_, WC_LISTVIEWW, "", LVS_REPORT, 0, 1);
  InsertListColumn(list, 0, "热键", 100);
  InsertListColumn(list, 1, "程序位置/操作", 100);
  std::string longText;
  for (int i = 0; i < 300; ++i) longText += "长";
  EXPECT_EQ(InsertListRow(list, 0, {"Ctrl + Alt + N", "记事本.exe"}, 7), 0);
  EXPECT_EQ(InsertListRow(list, 99, {"Ctrl + Alt + C", longText}, 8), 1)
      << "past the end: appended";
  EXPECT_EQ(InsertListRow(list, 0, {"", ""}, 9), 0);

  EXPECT_EQ(ListItemText(list, 1, 1), "记事本.exe");
  EXPECT_EQ(ListItemText(list, 2, 1), longText);
  EXPECT_EQ(ListItemText(list, 0, 0), "");
  EXPECT_EQ(ListRowData(list, 2), 8);
  SetListItemText(list, 1, 0, "Ctrl + 空格");
  EXPECT_EQ(ListItemText(list, 1, 0), "Ctrl + 空格");

  EXPECT_TRUE(SelectedListRows(list).empty());
  SelectListRow(list, 2);
  SelectListRow(list, 1);
  EXPECT_EQ(SelectedListRows(list), std::vector<int>{1}) << "one selection at a time";
}

TEST_F(ControlsTest, ComboAndListBoxItemsAndControlText) {
  HWND combo = CreateControl(parent_, L"COMBOBOX", "", CBS_DROPDOWNLIST, 0, 2);
  HWND listBox = CreateControl(parent_, L"LISTBOX", "", 0, 0, 3);
  HWND edit = CreateControl(parent_, L"EDIT", "初始", 0, 0, 4);
  EXPECT_EQ(AddComboItem(combo, "常用"), 0);
  EXPECT_EQ(AddComboItem(combo, "系统"), 1);
  EXPECT_EQ(ComboItemText(combo, 1), "系统");
  EXPECT_EQ(ComboItemText(combo, 5), "") << "no such item";
  EXPECT_EQ(AddListBoxItem(listBox, "关机"), 0);
  EXPECT_EQ(ListBoxItemText(listBox, 0), "关机");

  EXPECT_EQ(ItemText(parent_, 4), "初始");
  SetText(edit, "");
  EXPECT_EQ(TextOf(edit), "");
  SetItemText(parent_, 4, "程序位置 €");
  EXPECT_EQ(TextOf(edit), "程序位置 €") << "characters outside code page 936 too";
}

TEST(UiFontTest, OneSongTiFontPerDpiScaledFromTwelvePixels) {
  for (const auto& [dpi, height] : {std::pair{96u, -12}, {144u, -18}, {192u, -24}}) {
    HFONT font = UiFont(dpi);
    EXPECT_EQ(UiFont(dpi), font) << "made once per DPI";
    LOGFONTW description{};
    ASSERT_TRUE(GetObjectW(font, sizeof description, &description));
    EXPECT_EQ(description.lfHeight, height) << dpi;
    EXPECT_STREQ(description.lfFaceName, L"宋体");
  }
}

TEST(LayoutTest, AnchoredEdgesFollowTheWindowAndLengthsScaleWithTheDpi) {
  const SIZE reference{200, 100};
  const LayoutBounds bounds{10, 20, 50, 30};
  const struct {
    unsigned anchors;
    UINT dpi;
    int clientWidth, clientHeight;
    RECT expected;
  } cases[] = {
      {kAnchorTopLeft, 96, 300, 150, {10, 20, 60, 50}},
      {kAnchorAll, 96, 300, 150, {10, 20, 160, 100}},
      {kAnchorRight | kAnchorBottom, 96, 300, 150, {110, 70, 160, 100}},
      {kAnchorLeft | kAnchorRight | kAnchorTop, 96, 150, 100, {10, 20, 10, 50}},  // never negative
      {kAnchorTop, 96, 300, 100, {60, 20, 110, 50}},    // no horizontal edge: centred
      {kAnchorAll, 192, 400, 200, {20, 40, 120, 100}},  // the reference size at 200%
      {kAnchorRight | kAnchorBottom, 144, 400, 150, {115, 30, 190, 75}},
  };
  for (const auto& c : cases) {
    const RECT rect =
        PlaceLayoutItem({1, bounds, c.anchors}, reference, c.clientWidth, c.clientHeight, c.dpi);
    EXPECT_EQ(
        (std::vector<LONG>{rect.left, rect.top, rect.right, rect.bottom}),
        (std::vector<LONG>{c.expected.left, c.expected.top, c.expected.right, c.expected.bottom}))
        << "anchors " << c.anchors << " at " << c.dpi;
  }
}

// The password prompt's template serves as a dialog to drive.
class ProbeDialog : public Dialog {
 public:
  explicit ProbeDialog(Platform& platform) : Dialog(platform, IDD_LOGIN) {}
  int oks = 0;
  void Ok() { ++oks; }
  void Fail() { throw std::runtime_error("出错了"); }

 protected:
  bool OnCommand(int id, int /*notifyCode*/) override {
    static constexpr Command<ProbeDialog> kCommands[] = {
        {IDOK, &ProbeDialog::Ok},
        {IDC_LOGIN_LABEL, &ProbeDialog::Fail},
    };
    return DispatchCommand(kCommands, *this, id);
  }
};

void PumpPendingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (HandleModelessDialogMessage(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

TEST(DialogTest, ModelessDialogGetsItsKeysFromTheLoopAndHandlerErrorsAreReported) {
  QuietWin32Platform platform;
  ProbeDialog dialog(platform);
  ASSERT_TRUE(dialog.CreateModeless(nullptr));
  ShowWindow(dialog.hwnd(), SW_SHOW);
  HWND edit = dialog.Item(IDC_LOGIN_PASSWORD);
  SetFocus(edit);
  // Enter in the edit is a dialog key: the loop hands it to the dialog, which
  // presses its default button.
  PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
  PumpPendingMessages();
  EXPECT_EQ(dialog.oks, 1);

  PressButton(dialog.hwnd(), IDC_LOGIN_LABEL);
  EXPECT_EQ(platform.messages, std::vector<std::string>{"出错了|Tavrelin 4.6.0 Final"});
  EXPECT_TRUE(IsWindow(dialog.hwnd())) << "the dialog goes on after an error";

  // Unhandled Cancel hides a modeless dialog; it stays for the next use.
  PressButton(dialog.hwnd(), IDCANCEL);
  EXPECT_FALSE(dialog.IsShowing());
  EXPECT_TRUE(IsWindow(dialog.hwnd()));
}

TEST(DialogTest, ModalDialogEndsWithTheButtonsIdAndOwnsItsOpener) {
  QuietWin32Platform platform;
  ProbeDialog dialog(platform);
  DialogWatch watch(L"密码", [](HWND shown) { PressButton(shown, IDCANCEL); });
  EXPECT_EQ(dialog.ShowModal(nullptr), IDCANCEL);
  EXPECT_EQ(watch.count(), 1);
  EXPECT_EQ(dialog.hwnd(), nullptr) << "a modal dialog exists only while shown";
}

}  // namespace
}  // namespace tav::test
