// TNetLabel: a text label that behaves like a link. It turns to its hover
// colour and underlines itself under the mouse, shows the hand cursor, and
// on a click tells its parent (WM_COMMAND with STN_CLICKED) and then opens
// its address through the shell. A window class, so dialog templates can
// name it: CONTROL "", id, "TNetLabel", WS_CHILD | WS_VISIBLE, ...
#pragma once

#include "platform/win32/WinApi.h"

#include <functional>
#include <string>

#include "dialogs/model/NetLabel.h"
#include "platform/win32/WinHandles.h"

namespace tav {

class NetLabel {
 public:
  static constexpr const wchar_t* kClassName = L"TNetLabel";
  // Registers the window class; call before the first dialog that uses it.
  static void RegisterWindowClass();
  // The label of a TNetLabel window, or null.
  static NetLabel* From(HWND window);

  // Opens an address for a click; the shell's default open unless a test
  // replaces it (null: the shell's again).
  using Opener = std::function<void(HWND owner, const std::string& address)>;
  static void SetOpener(Opener opener);

  // The link and its kind; the caption becomes `caption`, or the link.
  void SetLink(HyperLinkKind kind, const std::string& link, const std::string& caption = "");
  NetLabelState& state() { return state_; }
  // Repaints after a change of the state.
  void Refresh() { InvalidateRect(hwnd_, nullptr, TRUE); }

 private:
  explicit NetLabel(HWND hwnd) : hwnd_(hwnd) {}
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint();
  void MouseMove();
  void MouseLeave();
  void Click();
  HFONT FontToDraw();

  HWND hwnd_;
  NetLabelState state_;
  HFONT font_ = nullptr;   // the font given by WM_SETFONT, not owned
  UniqueFont underlined_;  // that font underlined
  bool tracking_ = false;
};

}  // namespace tav
