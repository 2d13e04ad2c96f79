// What the action engine asks of the running program's hotkey service and
// main window. The Windows program implements it in its main window; tests
// implement it with a recorder. Every call is made on the user-interface
// thread: callers on a script thread go through Platform::RunOnUiThread.
#pragma once

#include <string>

namespace tav {

class ProgramControl {
 public:
  virtual ~ProgramControl() = default;

  // Closes the main window, which unregisters every hotkey and ends the program.
  virtual void CloseMainWindow() = 0;
  // Shows the main window from the tray, behind the access password.
  virtual void ShowMainWindow() = 0;
  // Switches the hotkey service between working and paused.
  virtual void TogglePause() = 0;
  // Unregisters hotkeys: all of them, or (all = false) all but those bound to
  // the pause operation.
  virtual void UnregisterHotkeys(bool all) = 0;
  // Registers every hotkey of the active scheme again.
  virtual void RegisterAll() = 0;
  // Tells the user something in passing: in the status bar, or in a balloon
  // of the tray icon while the main window is hidden.
  virtual void ShowNotice(const std::string& text) = 0;
  // Whether a paste puts the clipboard's earlier content back ("粘贴后恢复剪贴板").
  virtual bool RestoresClipboardAfterPaste() { return false; }
};

}  // namespace tav
