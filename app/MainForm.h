// TMainForm: the main window. It lives hidden behind the tray icon, owns the
// entry table with its hotkey registrations and the program-wide scheme
// state, receives the hotkey messages and hands the matching entry's action
// string to the action engine.
#pragma once

#include "platform/win32/WinApi.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "actions/ActionDispatcher.h"
#include "actions/ProgramControl.h"
#include "app/HotkeyService.h"
#include "app/TrayIcon.h"
#include "dialogs/LoginForm.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinHandles.h"
#include "platform/win32/Window.h"
#include "storage/SchemeFile.h"

namespace tav {

// Program-wide state of the active scheme.
struct SchemeState {
  std::string activePath;          // empty until the first scheme opens
  bool isProtected = false;        // opened with a non-empty password digest
  std::string rememberedPassword;  // the plain scheme password, keys the entry texts
};

class TMainForm : public Window, public ProgramControl {
 public:
  static constexpr const wchar_t* kClassName = L"TMainForm";
  // The tray icon's messages, with the mouse message in lParam.
  static constexpr UINT kTrayMessage = WM_APP + 2;

  // `login` is the password prompt; `scheme` the program-wide scheme state,
  // whose remembered password the prompt sets.
  TMainForm(Win32Platform& platform, std::string programDirectory, TfrmLogin& login,
            SchemeState& scheme);
  ~TMainForm() override;

  // Creates the hidden window with its tray icon and opens the default scheme.
  bool Create();

  // Makes the file the active scheme; false when it is missing or its
  // password was not given.
  bool OpenScheme(const std::string& path);
  // ResetAndLoad, then RegisterAll.
  void Reload();
  // Clears the slots and the list and loads the active scheme into them.
  void ResetAndLoad();
  // Pause or resume.
  void MStop_NClick();

  // ProgramControl
  void CloseMainWindow() override;
  void ShowMainWindow() override;
  void TogglePause() override { MStop_NClick(); }
  void UnregisterHotkeys(bool all) override { service_.UnregisterHotkeys(all); }
  // Registers every hotkey again after a paste; while paused, only those
  // bound to the pause operation.
  void RegisterAll() override;
  void ReleaseModifiers() override;

  // Ends the action engine at program end: script runs stop at their next
  // line and are waited for, at most `timeout`; false when some did not end.
  bool StopActions(std::chrono::milliseconds timeout);

  const HotkeyService& service() const { return service_; }
  const SchemeState& scheme() const { return scheme_; }
  std::string DefaultSchemePath() const { return tav::DefaultSchemePath(programDirectory_); }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void FormCreate();
  void CreateMenus();
  void CreateControls();
  void FormClose();
  void WMHotkey(LPARAM lParam);
  bool WMSysCommand(WPARAM wParam);
  void TrayIconMessage(LPARAM lParam);
  void ShowTrayMenu();
  void OnCommand(int id);
  void RunAction(const std::string& action);
  void SetPauseItems(const wchar_t* caption);
  void FillList(const std::vector<HotkeyListItem>& items);
  std::string DigestOfRememberedPassword() const;
  // The main window when it is visible (a modal prompt disables it), else null.
  HWND VisibleWindow() const;

  Win32Platform& platform_;
  const std::string programDirectory_;
  HotkeyService service_;
  TfrmLogin& login_;
  SchemeState& scheme_;
  std::unique_ptr<ActionDispatcher> dispatcher_;
  std::unique_ptr<TrayIcon> tray_;
  UniqueIcon normalIcon_;
  UniqueIcon pausedIcon_;
  UniqueMenu trayMenu_;
  HMENU fileMenu_ = nullptr;  // owned by the window's menu bar
  HWND groupBox_ = nullptr;
  HWND listView_ = nullptr;
  UINT taskbarCreatedMessage_ = 0;
};

}  // namespace tav
