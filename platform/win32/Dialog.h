// Dialog: base class of every window made from a DIALOGEX template of the
// resource script (res/tavrelin.rc). The dialog procedure keeps `this` from
// WM_INITDIALOG on and hands each message to a named handler; every handler
// runs inside the error guard, so an error is reported and the dialog goes on.
//
// Adding a dialog:
//   1. res/resource.h: the template id (IDD_...) and control ids (IDC_...),
//      in your block of ids; res/tavrelin.rc: a DIALOGEX in dialog units
//      with `FONT 9, "宋体", 0, 0, 0x86` and DS_SETFONT | DS_MODALFRAME.
//   2. class ExampleDialog : public Dialog { ExampleDialog(Platform& p) : Dialog(p, IDD_X) {} };
//      override OnInit (fill the controls; false after SetFocus) and
//      OnCommand, which looks the id up in a command table:
//        static constexpr Command<ExampleDialog> kCommands[] = {{IDOK, &ExampleDialog::OnOk}};
//        bool OnCommand(int id, int) override { return DispatchCommand(kCommands, *this, id); }
//   3. Modal: ShowModal(owner) until a handler calls EndModal(result).
//      Modeless: CreateModeless(owner), then ShowWindow; the program's
//      message loop (RunMessageLoop) gives it its dialog keys.
//   4. Texts are UTF-8: ItemText / SetItemText, and Controls.h for list
//      views, combo boxes and message boxes (ShowMessageBox with the dialog
//      as owner).
#pragma once

#include "platform/win32/WinApi.h"

#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace tav {

class Dialog {
 public:
  // `platform` shows the errors the handlers raise.
  Dialog(Platform& platform, int templateId);
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // The dialog's window while it exists (modal: while it is shown).
  HWND hwnd() const { return hwnd_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  // A modal dialog exists only while it is shown; a modeless one also hidden.
  bool IsShowing() const { return hwnd_ && (modal_ || IsWindowVisible(hwnd_)); }

  // Shows the dialog modally (the owner is disabled meanwhile) and answers
  // the result given to EndModal, or -1 when it could not be created.
  INT_PTR ShowModal(HWND owner);
  // Creates the modeless dialog, hidden unless its template says WS_VISIBLE.
  bool CreateModeless(HWND owner);

  std::string ItemText(int id) const;
  void SetItemText(int id, std::string_view text);

 protected:
  // Ends a modal dialog with `result`; hides a modeless one.
  void EndModal(INT_PTR result);

  // WM_INITDIALOG; answer true to give the focus to the first control, false
  // after setting the focus yourself.
  virtual bool OnInit() { return true; }
  // WM_COMMAND; answer whether it was handled. Unhandled IDOK and IDCANCEL
  // end the dialog with that id.
  virtual bool OnCommand(int id, int notifyCode);
  // WM_NOTIFY; answer whether it was handled and set `result`.
  virtual bool OnNotify(const NMHDR& header, LRESULT& result);
  // WM_DPICHANGED after the dialog took the suggested size.
  virtual void OnDpiChanged(UINT /*dpi*/) {}
  // Any other message; answer whether it was handled and set `result`.
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

  Platform& platform() { return platform_; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  Platform& platform_;
  const int templateId_;
  HWND hwnd_ = nullptr;
  bool modal_ = false;
};

}  // namespace tav
