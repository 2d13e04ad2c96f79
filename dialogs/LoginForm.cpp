#include "dialogs/LoginForm.h"

#include "actions/TextCipher.h"
#include "base/Errors.h"
#include "platform/ErrorGuard.h"
#include "platform/win32/Wide.h"

namespace tav {

namespace {

constexpr int kPasswordEditId = 100;
constexpr int kClientWidth = 260;
constexpr int kClientHeight = 112;

}  // namespace

TfrmLogin::TfrmLogin(Platform& platform, std::string& rememberedPassword)
    : platform_(platform), rememberedPassword_(rememberedPassword) {}

bool TfrmLogin::Create() {
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_CONTROLPARENT;
  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  if (!CreateWindowOfClass(kClassName, L"密码", style, exStyle, frame.right - frame.left,
                           frame.bottom - frame.top, nullptr)) {
    return false;
  }
  CreateControls();
  return true;
}

void TfrmLogin::CreateControls() {
  font_.reset(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_DONTCARE, L"宋体"));
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  const auto child = [&](const wchar_t* className, const wchar_t* text, DWORD style, int x, int y,
                         int width, int height, int id, DWORD exStyle = 0) {
    HWND control = CreateWindowExW(
        exStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, hwnd(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    return control;
  };
  // A shared system icon: the system owns it.
  const auto icon =
      static_cast<HICON>(LoadImageW(nullptr, IDI_SHIELD, IMAGE_ICON, 32, 32, LR_SHARED));
  HWND image = child(L"STATIC", nullptr, SS_ICON, 14, 18, 32, 32, -1);
  SendMessageW(image, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  child(L"STATIC", L"请输入密码：", 0, 60, 14, 180, 16, -1);
  edtPassword_ = child(L"EDIT", L"", WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL, 60, 34, 186, 22,
                       kPasswordEditId, WS_EX_CLIENTEDGE);
  SendMessageW(edtPassword_, EM_SETPASSWORDCHAR, L'*', 0);
  child(L"BUTTON", L"确定", WS_TABSTOP | BS_DEFPUSHBUTTON, 84, 74, 75, 25, IDOK);
  child(L"BUTTON", L"取消", WS_TABSTOP | BS_PUSHBUTTON, 170, 74, 75, 25, IDCANCEL);
}

bool TfrmLogin::Run(const std::string& expectedDigest, bool checkOnly, HWND disabled) {
  expectedDigest_ = expectedDigest;
  checkOnly_ = checkOnly;
  FormShow();
  ShowModal(disabled);
  // Scheme-open mode is the default again after every close.
  checkOnly_ = false;
  return accepted_;
}

void TfrmLogin::FormShow() {
  accepted_ = false;
  SetWindowTextW(edtPassword_, L"");
  SetFocus(edtPassword_);
}

std::string TfrmLogin::TypedPassword() const {
  const int length = GetWindowTextLengthW(edtPassword_);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(edtPassword_, text.data(), length + 1);
  text.resize(static_cast<size_t>(length));
  return Narrow(text);
}

void TfrmLogin::btnLoginClick() {
  const std::string typed = TypedPassword();
  std::string digest;
  try {
    digest = DigestText(typed);
  } catch (const EncodingError&) {
    // A character GB2312 cannot hold is in no stored password.
  }
  if (digest.empty() || digest != expectedDigest_) {
    platform_.MessageBox("密码不正确！", "警告", mb::kOkCancel | mb::kIconWarning);
    SetFocus(edtPassword_);
    return;
  }
  accepted_ = true;
  if (!checkOnly_) rememberedPassword_ = typed;
  CloseForm();
}

void TfrmLogin::btnCancelClick() {
  accepted_ = false;
  CloseForm();
}

void TfrmLogin::CloseForm() {
  EndModal();
}

LRESULT TfrmLogin::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      // Enter in the password edit reaches here as IDOK, Esc as IDCANCEL.
      if (LOWORD(wParam) == IDOK) {
        RunGuarded(platform_, [&] { btnLoginClick(); });
        return 0;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        btnCancelClick();
        return 0;
      }
      break;
    case WM_CLOSE:
      btnCancelClick();
      return 0;
    case WM_ACTIVATE:
      // The password edit has the keyboard whenever the prompt is active.
      if (LOWORD(wParam) != WA_INACTIVE) SetFocus(edtPassword_);
      return 0;
    default:
      break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace tav
