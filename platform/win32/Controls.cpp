#include "platform/win32/Controls.h"

#include <map>

#include "platform/win32/Wide.h"
#include "platform/win32/WinHandles.h"

namespace tav {

std::string TextOf(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return std::string();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return Narrow(text);
}

void SetText(HWND window, std::string_view text) {
  SetWindowTextW(window, Widen(text).c_str());
}

std::string ItemText(HWND dialog, int id) {
  return TextOf(GetDlgItem(dialog, id));
}

void SetItemText(HWND dialog, int id, std::string_view text) {
  SetText(GetDlgItem(dialog, id), text);
}

int ShowMessageBox(HWND owner, std::string_view text, std::string_view caption, UINT style) {
  return MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), style);
}

HWND CreateControl(HWND parent, const wchar_t* className, std::string_view text, DWORD style,
                   DWORD exStyle, int id) {
  HWND control = CreateWindowExW(exStyle, className, Widen(text).c_str(), WS_CHILD | style, 0, 0, 0,
                                 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  if (control) {
    SendMessageW(control, WM_SETFONT, static_cast<WPARAM>(SendMessageW(parent, WM_GETFONT, 0, 0)),
                 FALSE);
  }
  return control;
}

HFONT UiFont(UINT dpi) {
  // Fonts of the user-interface thread; every DPI the windows met.
  static std::map<UINT, UniqueFont> fonts;
  UniqueFont& font = fonts[dpi];
  if (!font) {
    const int height = -MulDiv(12, static_cast<int>(dpi), 96);
    font.reset(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, L"宋体"));
  }
  return font.get();
}

void ApplyFont(HWND window, HFONT font) {
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  EnumChildWindows(
      window,
      [](HWND child, LPARAM value) -> BOOL {
        SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(value), TRUE);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(font));
}

void InsertListColumn(HWND list, int column, std::string_view caption, int width) {
  std::wstring text = Widen(caption);
  LVCOLUMNW entry{};
  entry.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  entry.pszText = text.data();
  entry.cx = width;
  entry.iSubItem = column;
  ListView_InsertColumn(list, column, &entry);
}

int InsertListRow(HWND list, int row, const std::vector<std::string>& texts, LPARAM data) {
  std::wstring first = texts.empty() ? std::wstring() : Widen(texts.front());
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = row;
  item.pszText = first.data();
  item.lParam = data;
  const int index = ListView_InsertItem(list, &item);
  if (index < 0) return index;
  for (size_t column = 1; column < texts.size(); ++column) {
    SetListItemText(list, index, static_cast<int>(column), texts[column]);
  }
  return index;
}

void SetListItemText(HWND list, int row, int column, std::string_view text) {
  std::wstring wide = Widen(text);
  ListView_SetItemText(list, row, column, wide.data());
}

std::string ListItemText(HWND list, int row, int column) {
  // The list answers with as much as fits: grow the buffer until it fits.
  std::wstring text(256, L'\0');
  for (;;) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    const auto length = static_cast<size_t>(SendMessageW(
        list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
    if (length + 1 < text.size()) {
      text.resize(length);
      return Narrow(text);
    }
    text.resize(text.size() * 2);
  }
}

LPARAM ListRowData(HWND list, int row) {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  return ListView_GetItem(list, &item) ? item.lParam : 0;
}

std::vector<int> SelectedListRows(HWND list) {
  std::vector<int> rows;
  for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0;
       row = ListView_GetNextItem(list, row, LVNI_SELECTED)) {
    rows.push_back(row);
  }
  return rows;
}

void SelectListRow(HWND list, int row) {
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (row < 0) return;
  ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(list, row, FALSE);
}

namespace {

// Combo and list boxes answer the same questions under different messages.
struct ItemMessages {
  UINT add, textLength, text;
};
constexpr ItemMessages kComboMessages{CB_ADDSTRING, CB_GETLBTEXTLEN, CB_GETLBTEXT};
constexpr ItemMessages kListBoxMessages{LB_ADDSTRING, LB_GETTEXTLEN, LB_GETTEXT};

int AddItem(HWND control, const ItemMessages& messages, std::string_view text) {
  const std::wstring wide = Widen(text);
  return static_cast<int>(
      SendMessageW(control, messages.add, 0, reinterpret_cast<LPARAM>(wide.c_str())));
}

std::string ItemTextAt(HWND control, const ItemMessages& messages, int index) {
  const LRESULT length = SendMessageW(control, messages.textLength, static_cast<WPARAM>(index), 0);
  if (length <= 0) return std::string();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied = SendMessageW(control, messages.text, static_cast<WPARAM>(index),
                                      reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return Narrow(text);
}

}  // namespace

int AddComboItem(HWND combo, std::string_view text) {
  return AddItem(combo, kComboMessages, text);
}

std::string ComboItemText(HWND combo, int index) {
  return ItemTextAt(combo, kComboMessages, index);
}

int AddListBoxItem(HWND listBox, std::string_view text) {
  return AddItem(listBox, kListBoxMessages, text);
}

std::string ListBoxItemText(HWND listBox, int index) {
  return ItemTextAt(listBox, kListBoxMessages, index);
}

}  // namespace tav
