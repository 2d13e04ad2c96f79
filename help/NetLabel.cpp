#include "help/NetLabel.h"

#include "platform/win32/Wide.h"

namespace tav {

namespace {

void ShellOpenAddress(HWND owner, const std::string& address) {
  ShellExecuteW(owner, nullptr, Widen(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

NetLabel::Opener& CurrentOpener() {
  static NetLabel::Opener opener = ShellOpenAddress;
  return opener;
}

}  // namespace

void NetLabel::RegisterWindowClass() {
  static const bool registered = [] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_HAND);
    windowClass.lpszClassName = kClassName;
    return RegisterClassExW(&windowClass) != 0;
  }();
  (void)registered;
}

NetLabel* NetLabel::From(HWND window) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  if (lstrcmpiW(name, kClassName) != 0) return nullptr;
  return reinterpret_cast<NetLabel*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void NetLabel::SetOpener(Opener opener) {
  CurrentOpener() = opener ? std::move(opener) : ShellOpenAddress;
}

void NetLabel::SetLink(HyperLinkKind kind, const std::string& link, const std::string& caption) {
  const uint32_t color = state_.color();
  const bool underline = state_.underline();
  state_ = NetLabelState(link, kind);
  state_.set_color(color);
  state_.set_underline(underline);
  SetWindowTextW(hwnd_, Widen(caption.empty() ? link : caption).c_str());
  Refresh();
}

LRESULT CALLBACK NetLabel::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new NetLabel(hwnd)));
  }
  auto* self = reinterpret_cast<NetLabel*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    delete self;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  return self->HandleMessage(message, wParam, lParam);
}

LRESULT NetLabel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // Paint fills the background
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wParam);
      underlined_.reset();
      if (LOWORD(lParam)) Refresh();
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_SETTEXT: {
      const LRESULT result = DefWindowProcW(hwnd_, message, wParam, lParam);
      Refresh();
      return result;
    }
    case WM_MOUSEMOVE:
      MouseMove();
      return 0;
    case WM_MOUSELEAVE:
      MouseLeave();
      return 0;
    case WM_LBUTTONUP:
      Click();
      return 0;
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    default:
      return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

HFONT NetLabel::FontToDraw() {
  HFONT font = font_ ? font_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  if (!state_.underline()) return font;
  if (!underlined_) {
    LOGFONTW description{};
    GetObjectW(font, sizeof description, &description);
    description.lfUnderline = TRUE;
    underlined_.reset(CreateFontIndirectW(&description));
  }
  return underlined_.get();
}

void NetLabel::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd_, &paint);
  RECT client;
  GetClientRect(hwnd_, &client);
  HWND parent = GetParent(hwnd_);
  // The parent's background for static controls, as a label would have.
  auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
      parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd_)));
  FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
  const int length = GetWindowTextLengthW(hwnd_);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(hwnd_, text.data(), length + 1);
  text.resize(static_cast<size_t>(length));
  HGDIOBJ oldFont = SelectObject(dc, FontToDraw());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, static_cast<COLORREF>(state_.color()));
  DrawTextW(dc, text.c_str(), length, &client, DT_LEFT | DT_NOPREFIX | DT_SINGLELINE);
  SelectObject(dc, oldFont);
  EndPaint(hwnd_, &paint);
}

void NetLabel::MouseMove() {
  if (tracking_) return;
  TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd_, 0};
  tracking_ = TrackMouseEvent(&track) != 0;
  state_.MouseEnter();
  Refresh();
}

void NetLabel::MouseLeave() {
  tracking_ = false;
  state_.MouseLeave();
  Refresh();
}

void NetLabel::Click() {
  HWND parent = GetParent(hwnd_);
  const int id = GetDlgCtrlID(hwnd_);
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, STN_CLICKED), reinterpret_cast<LPARAM>(hwnd_));
  const std::string address = state_.Click();
  if (!address.empty()) CurrentOpener()(parent, address);
  Refresh();
}

}  // namespace tav
