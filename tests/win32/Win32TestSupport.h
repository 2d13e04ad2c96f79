// Shared pieces of the Win32 tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/Win32Platform.h"

namespace tav::test {

// The real platform, except that message boxes are recorded instead of shown.
class QuietWin32Platform : public Win32Platform {
 public:
  int MessageBox(const std::string& text, const std::string& caption, unsigned style) override;
  std::vector<std::string> messages;  // "text|caption"
  std::vector<int> answers;           // given in turn, then OK
};

// Runs `action` with the window each time a window with the caption is shown
// on this thread, while the watch lives. The action runs from inside the
// message loop that runs then (a modal dialog's or a message box's), once
// the window is up, so a test can answer a dialog its code is about to show:
//
//   DialogWatch prompt(L"密码", [](HWND dialog) { PressButton(dialog, IDCANCEL); });
//   form.ShowMainWindow();  // returns after the watch cancelled the prompt
class DialogWatch {
 public:
  DialogWatch(std::wstring caption, std::function<void(HWND)> action);
  ~DialogWatch();
  DialogWatch(const DialogWatch&) = delete;
  DialogWatch& operator=(const DialogWatch&) = delete;

  // How often the window was shown and the action ran.
  int count() const { return count_; }

 private:
  static LRESULT CALLBACK AfterWindowProc(int code, WPARAM wParam, LPARAM lParam);
  static void CALLBACK RunAction(HWND window, UINT, UINT_PTR timer, DWORD);

  std::wstring caption_;
  std::function<void(HWND)> action_;
  int count_ = 0;
};

// Records, while it lives, the controls of this thread that are given the
// password character '*'. Wine's password edits show '*' unasked, where those
// of common controls 6 on Windows show a dot: only the message tells.
class PasswordCharWatch {
 public:
  PasswordCharWatch();
  ~PasswordCharWatch();
  PasswordCharWatch(const PasswordCharWatch&) = delete;
  PasswordCharWatch& operator=(const PasswordCharWatch&) = delete;

  // The control ids, in the order the character was set.
  const std::vector<int>& ids() const { return ids_; }

 private:
  static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam);

  HHOOK hook_ = nullptr;
  std::vector<int> ids_;
};

// Presses a dialog's button (or answers a message box with it).
void PressButton(HWND dialog, int buttonId);
// The text of a message box.
std::wstring MessageBoxText(HWND box);

// Types `text` into the edit and presses the dialog's button `buttonId`.
void TypeAndPress(HWND edit, const std::wstring& text, HWND dialog, int buttonId);

// Whether some window holds the combination: a probe registration fails.
bool CombinationTaken(unsigned modifiers, unsigned virtualKey);

// Presses and releases the combination with injected key events.
void InjectCombination(unsigned modifiers, unsigned virtualKey);

// The hotkeys that the key presses injected so far fire for `window`, as
// (modifiers, key) in lParam form. Presses a marker combination after them
// and dispatches messages until the marker's hotkey arrives: input is handled
// in order, so every earlier hotkey has arrived by then.
std::vector<LPARAM> HotkeysFired(HWND window);

// A fresh program directory with the given hotkey.xml text (UTF-8, written
// as code page 936); ends in a backslash.
std::string MakeProgramDirectory(const std::string& name, const std::string& schemeXml);

// Writes a scheme file's text (UTF-8) as code page 936 to a UTF-8 path.
void WriteSchemeFile(const std::string& path, const std::string& schemeXml);

// With TAV_SCREENSHOT_DIR set, saves the window's client area as it shows on
// the screen (children included) to NAME.bmp there; does nothing otherwise.
// For the README's pictures, taken by a test that has the window up anyway.
void SaveScreenshot(HWND window, const std::string& name);

// A scheme file's text with the entries (key text, action) and no password.
std::string SchemeXml(const std::vector<std::pair<std::string, std::string>>& entries,
                      const std::string& password = "");

// Keeps asking until `ready` answers true, dispatching this thread's
// messages meanwhile; false after `timeoutMs`.
bool Eventually(const std::function<bool()>& ready, DWORD timeoutMs = 10000);

// Another program in the foreground, as the window the user works in:
// Wine's notepad, ended with the object.
class ForegroundNotepad {
 public:
  ForegroundNotepad();
  ~ForegroundNotepad();
  ForegroundNotepad(const ForegroundNotepad&) = delete;
  ForegroundNotepad& operator=(const ForegroundNotepad&) = delete;
  bool ready() const { return edit_ && GetForegroundWindow() == window_; }
  HWND window() const { return window_; }
  HWND edit() const { return edit_; }

 private:
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
  HWND edit_ = nullptr;
};

// The width of an icon's picture, in pixels (0 for no icon).
int IconWidth(HICON icon);

}  // namespace tav::test
