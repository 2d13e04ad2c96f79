// MainWindow: the main window. It lives hidden behind the tray icon, owns the
// entry table with its hotkey registrations and the program-wide scheme
// state, receives the hotkey messages and hands the matching entry's action
// string to the action engine. Shown, it lists the active scheme's entries
// and manages them and the schemes through its buttons and menus.
#pragma once

#include "platform/win32/WinApi.h"

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "actions/ActionDispatcher.h"
#include "actions/ProgramControl.h"
#include "actions/SystemOperations.h"
#include "app/FiredKeyWatch.h"
#include "app/ForegroundWatch.h"
#include "app/HotkeyList.h"
#include "app/HotkeyService.h"
#include "app/SchemeMenus.h"
#include "app/TrayIcon.h"
#include "dialogs/PasswordPrompt.h"
#include "dialogs/model/HotkeyEditorRequest.h"
#include "dialogs/model/SetPassword.h"
#include "platform/win32/Layout.h"
#include "platform/win32/Menus.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinHandles.h"
#include "platform/win32/Window.h"
#include "storage/SchemeFile.h"

namespace tav {

class AboutBox;
class SetPasswordDialog;
class SettingsDialog;

// Program-wide state of the active scheme: its path (empty until the first
// scheme opens), whether it was opened with a password digest, and the plain
// scheme password that keys its entry texts.
using SchemeState = SchemePasswordState;

class MainWindow : public Window, public ProgramControl, private SchemeMenuHost {
 public:
  static constexpr const wchar_t* kClassName = L"TMainForm";
  // The tray icon's messages, with the mouse message in lParam.
  static constexpr UINT kTrayMessage = WM_APP + 2;
  // A row's check box was clicked: wParam the slot, lParam whether it is on.
  // Posted, so that the reload it causes does not run inside the list's
  // own notification.
  static constexpr UINT kEntrySwitchMessage = WM_APP + 22;

  // `login` is the password prompt; `scheme` the program-wide scheme state,
  // whose remembered password the prompt sets.
  MainWindow(Win32Platform& platform, std::string programDirectory, PasswordPrompt& login,
             SchemeState& scheme);
  ~MainWindow() override;

  // Creates the hidden window with its tray icon, builds the scheme menus
  // and opens the default scheme.
  bool Create();
  // The about box, modal to `owner` (the script editor shows it too).
  void ShowAboutBox(HWND owner);

  // Makes the file the active scheme; false when it is missing or its
  // password was not given.
  bool OpenScheme(const std::string& path) override;
  // ResetAndLoad, then RegisterAll.
  void Reload();
  // Clears the slots and the list and loads the active scheme into them.
  void ResetAndLoad();
  // After a dialog changed the active scheme's file: reloads it (only the
  // list while paused) and shows it in file order.
  void ReloadAfterEdit();
  // Pause or resume.
  void PauseOrResume();

  // The hotkey editor, which "添加", "修改", a double click and a file drop
  // open; and the dialogs of the other menu items. An item whose dialog is
  // not given stays disabled.
  void SetHotkeyEditor(OpenHotkeyEditor open) { editor_ = std::move(open); }
  void SetNewSchemeDialog(std::function<void()> open);
  void SetSettingsDialog(std::function<void()> open);
  void SetLegacyConversion(std::function<void()> run);

  // The scheme menus; after a change of their model, RenderSchemeMenus.
  SchemeMenus& schemeMenus() { return *schemeMenus_; }
  void RenderSchemeMenus();

  // ProgramControl
  void CloseMainWindow() override;
  void ShowMainWindow() override;
  void TogglePause() override { PauseOrResume(); }
  void UnregisterHotkeys(bool all) override { service_.UnregisterHotkeys(all); }
  // Registers every hotkey again after a paste; while paused, only those
  // bound to the pause operation.
  void RegisterAll() override;
  // The status bar while the window is shown, else a balloon of the tray icon.
  void ShowNotice(const std::string& text) override;
  // "粘贴后恢复剪贴板" as set.ini holds it now.
  bool RestoresClipboardAfterPaste() override;

  // Ends the action engine at program end: script runs stop at their next
  // line and are waited for, at most `timeout`; false when some did not end.
  bool StopActions(std::chrono::milliseconds timeout);

  const HotkeyService& service() const { return service_; }
  const SchemeState& scheme() const { return scheme_; }
  std::string DefaultSchemePath() const { return tav::DefaultSchemePath(programDirectory_); }

  // For tests and the benchmark: the controls, menus and texts as shown.
  // The list is made on demand when the window was never shown, so that a
  // test can inspect the rows of a window that stays hidden.
  HWND listView() {
    EnsureControls();
    return listView_;
  }
  HMENU menuBar() const { return GetMenu(hwnd()); }
  HMENU trayMenu() const { return trayMenu_.get(); }
  HMENU listMenu() const { return listMenu_.get(); }
  // The status bar's text, or before the bar exists the text it will show.
  std::string StatusText() const;
  const ListSort& sort() const { return sort_; }
  // After an edit the list comes in file order.
  void ResetSortState() { sort_.Reset(); }
  // The three scheme menus: the main and tray open menus and the delete menu.
  HMENU MainSchemeMenu() const;
  HMENU TraySchemeMenu() const;
  HMENU DeleteSchemeMenu() const;
  HICON WindowIcon() const;
  const TrayIcon& tray() const { return *tray_; }
  // The tip of the tray icon.
  std::wstring TrayTip() const;
  // Whether the shell reports a full-screen program now; tests give their own.
  std::function<bool()> fullScreenBusy = ForegroundWatch::FullScreenBusy;
  // The settings centre "程序设置" opens.
  SettingsDialog& settingsDialog() { return *settingsDialog_; }

  // Published handlers, also driven by the Win32 tests.
  void AddEntry();
  void ChangeEntry();
  void DeleteEntries();
  void OnHideButton();
  void OnCloseButton();
  void OnListClick();
  void SortByColumn(int column);
  void OnListDoubleClick();
  void OnListMenuPopup();
  void OnFilesDropped(const std::vector<std::string>& paths);
  // After the rows changed: their icons now when the window is visible,
  // else at the next show.
  void RefreshIcons();
  // The check box in front of a row: on registers the entry, off keeps it
  // in the scheme unregistered and greyed.
  void SwitchEntry(int slot, bool enabled);
  // The filter above the list narrows the rows; Esc in it clears it.
  void FilterChange();
  HWND filterEdit() const { return filterEdit_; }
  void ToggleStartAtLogon();
  void OnDeleteSchemeItem();
  void ShowAbout();
  void SetSchemePassword();
  void OnTrayMessage(LPARAM lParam);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // SchemeMenuHost
  bool LoginShowing() override { return login_.IsShowing(); }
  std::string RememberedPasswordDigest() override;
  bool CheckPassword(const std::string& digest) override;

  void OnCreate();
  void CreateMenus();
  // The child controls are made when the window is first about to be shown
  // (it starts hidden in the tray), or when a test asks for the list. Until
  // then the entries, the status text and the edit commands are only
  // recorded; EnsureControls creates the controls and applies them.
  void EnsureControls();
  void CreateControls();
  // The rows of `items_` in the list, in slot order.
  void InsertRows();
  void OnClose();
  void OnHotkey(LPARAM lParam);
  // The window in front changed: conditioned entries follow it, and with
  // "全屏程序运行时暂停热键" on, a full-screen program quiets the hotkeys.
  void OnForegroundChange();
  // Hands a keystroke that no entry takes on to the program in front.
  void PassThrough(unsigned modifiers, unsigned virtualKey);
  bool OnSysCommand(WPARAM wParam);
  void ShowTrayMenu();
  void OnCommand(int id);
  // Greys the rows of switched-off entries.
  LRESULT OnListCustomDraw(NMLVCUSTOMDRAW& draw);
  bool OnSchemeCommand(int id);
  LRESULT OnNotify(const NMHDR& header);
  void OnMenuSelect(HMENU menu, UINT item, UINT flags);
  void OnSetCursor(HWND control);
  void OnDropFiles(HDROP drop);
  void ShowListMenu(POINT screen);
  void RunAction(const std::string& action);
  // "全屏程序运行时暂停热键" as set.ini holds it now, then UpdateQuietState.
  void ApplyQuietSetting();
  // Quiet while the setting is on and the shell reports a full-screen
  // program; the tray icon shows it.
  void UpdateQuietState();
  void ShowPauseState();
  // The window's small and big icons for the pause state at its DPI.
  void ShowWindowIcons();
  // Gives every list row its file icon, or the mark of a hotkey the system
  // refused; done when the window is shown, since nobody sees them before.
  void AssignIcons();
  void ReleaseIcons();
  void FillList(const std::vector<HotkeyListItem>& items);
  void SetEditCommands(EditCommands commands);
  void SetStatus(const std::string& text);
  void ShowSelectedEntry(int row);
  std::vector<HotkeyListItem> SelectedItems() const;
  void EnableOptionalItems();
  void ScaleColumns();
  void FitHotkeyColumn();
  std::string DigestOfRememberedPassword() const;
  // The main window when it is visible (a modal prompt disables it), else null.
  HWND VisibleWindow() const;

  // Menu item handlers.
  void OnExitItem();
  void NewScheme();
  void OpenSettings();
  void RunLegacyConversion();
  // "升级热键配置文件" run by default: the legacy files converted, the new
  // user schemes added to the scheme menus.
  void ConvertLegacyFiles();
  void OpenHomePage();
  void WriteMail();
  void OpenHelpFile();
  void OnShowItem();
  void OpenDefaultScheme();

  Win32Platform& platform_;
  const std::string programDirectory_;
  HotkeyService service_;
  // While the key of the hotkey that fired last is down, its auto-repeat is
  // dropped.
  FiredKeyWatch firedKeyWatch_{service_};
  PasswordPrompt& login_;
  SchemeState& scheme_;
  SystemOperations system_;
  std::unique_ptr<ActionDispatcher> dispatcher_;
  std::unique_ptr<SchemeMenus> schemeMenus_;
  std::unique_ptr<AboutBox> about_;
  std::unique_ptr<SetPasswordDialog> setPasswordDialog_;
  std::unique_ptr<SettingsDialog> settingsDialog_;
  std::unique_ptr<TrayIcon> tray_;
  OpenHotkeyEditor editor_;
  std::function<void()> newScheme_;
  std::function<void()> settings_;
  std::function<void()> legacyConversion_;

  // The tray's icons, and the window's at its DPI for the pause state.
  UniqueIcon normalIcon_;
  UniqueIcon pausedIcon_;
  struct WindowIcons {
    UniqueIcon smallIcon;
    UniqueIcon bigIcon;
  };
  std::array<WindowIcons, 2> windowIcons_;  // running, paused
  UINT windowIconDpi_ = 0;
  HIMAGELIST menuImageList_ = nullptr;  // the menu pictures, destroyed with the window
  std::unique_ptr<MenuImages> menuImages_;
  UniqueMenu trayMenu_;
  UniqueMenu listMenu_;
  Layout layout_;
  HWND listView_ = nullptr;
  HWND statusBar_ = nullptr;
  HWND filterEdit_ = nullptr;
  std::string filter_;
  bool fillingRows_ = false;  // check boxes set by InsertRows are no clicks
  UINT taskbarCreatedMessage_ = 0;
  UINT showRequestMessage_ = 0;  // a later start of the same folder

  std::vector<HotkeyListItem> items_;  // the loaded entries, index = slot
  ListSort sort_;
  std::string selectionText_;  // what the status bar shows when no hint does
  std::string statusText_;     // the last text given to the status bar
  EditCommands editCommands_;  // the last state of 修改 and 删除
  HWND hintControl_ = nullptr;
  bool iconsStale_ = true;  // the rows' icons are missing or out of date
  std::unique_ptr<ForegroundWatch> foreground_;
  bool quietInFullScreen_ = false;  // set.ini's choice, read at every scheme load
};

}  // namespace tav
