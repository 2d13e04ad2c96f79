// UTF-8 helpers for windows and controls: every text crosses into UTF-16
// here, at the Win32 call, so the windows' code never converts by hand.
#pragma once

#include "platform/win32/WinApi.h"

#include <string>
#include <string_view>
#include <vector>

namespace tav {

// A window's or control's text.
std::string TextOf(HWND window);
void SetText(HWND window, std::string_view text);
// The text of a dialog's control.
std::string ItemText(HWND dialog, int id);
void SetItemText(HWND dialog, int id, std::string_view text);

// A message box with UTF-8 texts. With an owner, the owner is disabled while
// the box is shown, so its keys cannot open a second box on top.
int ShowMessageBox(HWND owner, std::string_view text, std::string_view caption, UINT style);

// A child control of a window that is not a dialog; the layout places it.
HWND CreateControl(HWND parent, const wchar_t* className, std::string_view text, DWORD style,
                   DWORD exStyle, int id);

// The one user-interface font: 宋体 at 12 pixels at 96 DPI, scaled to `dpi`.
// Made once per DPI and kept for the whole run; never delete it.
HFONT UiFont(UINT dpi);
// Sets the font of the window and of every child control.
void ApplyFont(HWND window, HFONT font);

// List views in report mode. Rows and columns count from 0.
void InsertListColumn(HWND list, int column, std::string_view caption, int width);
// Inserts a row at `row` (at the end when row is past it) with the texts of
// its columns; answers the row's index.
int InsertListRow(HWND list, int row, const std::vector<std::string>& texts, LPARAM data = 0);
void SetListItemText(HWND list, int row, int column, std::string_view text);
std::string ListItemText(HWND list, int row, int column);
LPARAM ListRowData(HWND list, int row);
std::vector<int> SelectedListRows(HWND list);
void SelectListRow(HWND list, int row);

// Combo boxes and list boxes.
int AddComboItem(HWND combo, std::string_view text);
std::string ComboItemText(HWND combo, int index);
int AddListBoxItem(HWND listBox, std::string_view text);
std::string ListBoxItemText(HWND listBox, int index);

}  // namespace tav
