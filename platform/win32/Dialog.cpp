#include "platform/win32/Dialog.h"

#include "platform/ErrorGuard.h"
#include "platform/win32/Controls.h"
#include "platform/win32/MessageLoop.h"

namespace tav {

Dialog::Dialog(Platform& platform, int templateId) : platform_(platform), templateId_(templateId) {}

Dialog::~Dialog() {
  if (hwnd_) {
    UnregisterModelessDialog(hwnd_);
    SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
    DestroyWindow(hwnd_);
  }
}

INT_PTR Dialog::ShowModal(HWND owner) {
  modal_ = true;
  const INT_PTR result =
      DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner,
                      &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
  modal_ = false;
  return result;
}

bool Dialog::CreateModeless(HWND owner) {
  if (hwnd_) return true;
  modal_ = false;
  if (!CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner,
                          &Dialog::DialogProc, reinterpret_cast<LPARAM>(this))) {
    return false;
  }
  RegisterModelessDialog(hwnd_);
  return true;
}

void Dialog::EndModal(INT_PTR result) {
  if (!hwnd_) return;
  if (modal_) {
    EndDialog(hwnd_, result);
  } else {
    ShowWindow(hwnd_, SW_HIDE);
  }
}

std::string Dialog::ItemText(int id) const {
  return tav::ItemText(hwnd_, id);
}

void Dialog::SetItemText(int id, std::string_view text) {
  tav::SetItemText(hwnd_, id, text);
}

bool Dialog::OnCommand(int /*id*/, int /*notifyCode*/) {
  return false;
}

bool Dialog::OnNotify(const NMHDR& /*header*/, LRESULT& /*result*/) {
  return false;
}

bool Dialog::OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/,
                       INT_PTR& /*result*/) {
  return false;
}

INT_PTR Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  INT_PTR result = FALSE;
  RunGuarded(platform_, [&] {
    switch (message) {
      case WM_INITDIALOG:
        result = OnInit() ? TRUE : FALSE;
        break;
      case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (!OnCommand(id, HIWORD(wParam)) && (id == IDOK || id == IDCANCEL)) EndModal(id);
        result = TRUE;
        break;
      }
      case WM_NOTIFY: {
        LRESULT notifyResult = 0;
        if (OnNotify(*reinterpret_cast<const NMHDR*>(lParam), notifyResult)) {
          SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, notifyResult);
          result = TRUE;
        }
        break;
      }
      case WM_DPICHANGED:
        // The dialog manager rescales the template; the dialog adds its own.
        OnDpiChanged(HIWORD(wParam));
        break;
      default:
        OnMessage(message, wParam, lParam, result);
        break;
    }
  });
  return result;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<Dialog*>(lParam);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
  }
  auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (!self) return FALSE;
  const INT_PTR result = self->HandleMessage(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    UnregisterModelessDialog(hwnd);
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

}  // namespace tav
