// Menus as data: one table per menu, each item with its command id, caption,
// status-bar hint, image and handler. The table builds the menu, answers the
// hint of a command and dispatches the command to its handler.
//
//   static constexpr MenuItem<MainWindow> kFileMenu[] = {
//       {.id = IDM_STOP, .caption = "暂停工作", .hint = "暂停所有热键",
//        .image = 3, .handler = &MainWindow::PauseOrResume},
//       {},  // a separator
//       {.id = IDM_EXIT, .caption = "退出", .handler = &MainWindow::OnExitItem},
//   };
//   static constexpr MenuItem<MainWindow> kMenuBar[] = {
//       {.caption = "文件", .submenu = kFileMenu}};
//   SetMenu(hwnd(), BuildMenuBar(kMenuBar, &images).release());
//   ... WM_COMMAND: DispatchMenuCommand(kMenuBar, *this, id);
//   ... WM_MENUSELECT: SetStatusText(MenuHint(kMenuBar, id));
#pragma once

#include "platform/win32/WinApi.h"

#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/WinHandles.h"

namespace tav {

template <class Owner>
struct MenuItem {
  UINT id = 0;                          // the command; 0 for a popup or separator
  const char* caption = nullptr;        // UTF-8; no caption makes a separator
  const char* hint = "";                // the status-bar text while it is selected
  int image = -1;                       // index in the window's menu images, -1 for none
  void (Owner::*handler)() = nullptr;   // runs on the command
  std::span<const MenuItem> submenu{};  // items of a popup
};

// Menu item images cut from an image list, one bitmap per image index, made
// when first asked for and kept while the object lives.
class MenuImages {
 public:
  // `images` stays the caller's; it must outlive this object.
  explicit MenuImages(HIMAGELIST images) : images_(images) {}
  MenuImages(const MenuImages&) = delete;
  MenuImages& operator=(const MenuImages&) = delete;
  // The bitmap of image `index` (32-bit with alpha), or null.
  HBITMAP Bitmap(int index);

 private:
  struct BitmapTraits {
    static HBITMAP Invalid() { return nullptr; }
    static void Close(HBITMAP h) { DeleteObject(h); }
  };
  HIMAGELIST images_;
  std::map<int, UniqueHandle<HBITMAP, BitmapTraits>> bitmaps_;
};

// One item appended at the end of a menu.
struct MenuEntryText {
  UINT id = 0;          // 0 makes a separator
  std::string caption;  // UTF-8
  HBITMAP image = nullptr;
  HMENU submenu = nullptr;  // the menu takes it over
};
void AppendMenuEntry(HMENU menu, const MenuEntryText& entry);

template <class Owner>
void FillMenu(HMENU menu, std::span<const MenuItem<Owner>> items, MenuImages* images) {
  for (const MenuItem<Owner>& item : items) {
    MenuEntryText entry;
    entry.id = item.id;
    if (item.caption) entry.caption = item.caption;
    if (images && item.image >= 0) entry.image = images->Bitmap(item.image);
    if (!item.submenu.empty()) {
      entry.submenu = CreatePopupMenu();
      FillMenu(entry.submenu, item.submenu, images);
    }
    AppendMenuEntry(menu, entry);
  }
}

template <class Owner>
UniqueMenu BuildMenuBar(std::span<const MenuItem<Owner>> items, MenuImages* images = nullptr) {
  UniqueMenu menu(CreateMenu());
  FillMenu(menu.get(), items, images);
  return menu;
}

template <class Owner>
UniqueMenu BuildPopupMenu(std::span<const MenuItem<Owner>> items, MenuImages* images = nullptr) {
  UniqueMenu menu(CreatePopupMenu());
  FillMenu(menu.get(), items, images);
  return menu;
}

// The table's item of command `id`, searched through every popup, or null.
template <class Owner>
const MenuItem<Owner>* FindMenuItem(std::span<const MenuItem<Owner>> items, UINT id) {
  for (const MenuItem<Owner>& item : items) {
    if (id != 0 && item.id == id) return &item;
    if (const MenuItem<Owner>* found = FindMenuItem(item.submenu, id)) return found;
  }
  return nullptr;
}

// The hint of command `id`; empty when the table has no such command.
template <class Owner>
std::string_view MenuHint(std::span<const MenuItem<Owner>> items, UINT id) {
  const MenuItem<Owner>* item = FindMenuItem(items, id);
  return item ? std::string_view(item->hint) : std::string_view();
}

// Runs the handler of command `id`; false when the table has none.
template <class Owner>
bool DispatchMenuCommand(std::span<const MenuItem<Owner>> items, Owner& owner, UINT id) {
  const MenuItem<Owner>* item = FindMenuItem(items, id);
  if (!item || !item->handler) return false;
  (owner.*(item->handler))();
  return true;
}

// The state of one item, found by its command id anywhere in the menu.
void SetMenuItemText(HMENU menu, UINT id, std::string_view caption);
void SetMenuItemChecked(HMENU menu, UINT id, bool checked);
void SetMenuItemEnabled(HMENU menu, UINT id, bool enabled);
void SetMenuItemImage(HMENU menu, UINT id, HBITMAP image);
// Checks `id` with a radio mark and clears the others of first..last.
void SetMenuRadioItem(HMENU menu, UINT first, UINT last, UINT id);
std::string MenuItemText(HMENU menu, UINT id);

// Replaces every item of a popup (a list of schemes, say).
void RebuildMenu(HMENU menu, const std::vector<MenuEntryText>& entries);

}  // namespace tav
