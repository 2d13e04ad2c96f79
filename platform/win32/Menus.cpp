#include "platform/win32/Menus.h"

#include "platform/win32/Wide.h"

namespace tav {

HBITMAP MenuImages::Bitmap(int index) {
  auto found = bitmaps_.find(index);
  if (found != bitmaps_.end()) return found->second.get();
  int width = 0;
  int height = 0;
  if (!images_ || index >= ImageList_GetImageCount(images_) ||
      !ImageList_GetIconSize(images_, &width, &height)) {
    return nullptr;
  }
  // A top-down 32-bit bitmap with alpha: menus draw it with its transparency.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HDC memory = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  if (bitmap && memory) {
    const HGDIOBJ old = SelectObject(memory, bitmap);
    ImageList_Draw(images_, index, memory, 0, 0, ILD_TRANSPARENT);
    SelectObject(memory, old);
  }
  if (memory) DeleteDC(memory);
  auto& stored = bitmaps_[index];
  stored.reset(bitmap);
  return stored.get();
}

void AppendMenuEntry(HMENU menu, const MenuEntryText& entry) {
  if (entry.caption.empty() && !entry.submenu) {
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    return;
  }
  std::wstring caption = Widen(entry.caption);
  MENUITEMINFOW item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_ID | MIIM_STRING;
  item.wID = entry.id;
  item.dwTypeData = caption.data();
  if (entry.submenu) {
    item.fMask |= MIIM_SUBMENU;
    item.hSubMenu = entry.submenu;
  }
  if (entry.image) {
    item.fMask |= MIIM_BITMAP;
    item.hbmpItem = entry.image;
  }
  InsertMenuItemW(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &item);
}

void SetMenuItemText(HMENU menu, UINT id, std::string_view caption) {
  std::wstring text = Widen(caption);
  MENUITEMINFOW item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_STRING;
  item.dwTypeData = text.data();
  SetMenuItemInfoW(menu, id, FALSE, &item);
}

std::string MenuItemText(HMENU menu, UINT id) {
  MENUITEMINFOW item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_STRING;
  if (!GetMenuItemInfoW(menu, id, FALSE, &item) || item.cch == 0) return std::string();
  std::wstring text(item.cch + 1, L'\0');
  item.dwTypeData = text.data();
  ++item.cch;
  if (!GetMenuItemInfoW(menu, id, FALSE, &item)) return std::string();
  text.resize(item.cch);
  return Narrow(text);
}

void SetMenuItemChecked(HMENU menu, UINT id, bool checked) {
  CheckMenuItem(menu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void SetMenuItemEnabled(HMENU menu, UINT id, bool enabled) {
  EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void SetMenuItemImage(HMENU menu, UINT id, HBITMAP image) {
  MENUITEMINFOW item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_BITMAP;
  item.hbmpItem = image;
  SetMenuItemInfoW(menu, id, FALSE, &item);
}

void SetMenuRadioItem(HMENU menu, UINT first, UINT last, UINT id) {
  CheckMenuRadioItem(menu, first, last, id, MF_BYCOMMAND);
}

void RebuildMenu(HMENU menu, const std::vector<MenuEntryText>& entries) {
  // DeleteMenu also destroys the popups of the removed items.
  while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
  for (const MenuEntryText& entry : entries) AppendMenuEntry(menu, entry);
}

}  // namespace tav
