#include "help/AboutBox.h"

#include "base/Version.h"
#include "help/JpegPicture.h"
#include "help/NetLabel.h"
#include "platform/win32/Commands.h"
#include "platform/win32/Controls.h"
#include "platform/win32/Dpi.h"
#include "res/resource.h"

#include <commctrl.h>

namespace tav {

namespace {

// The picture of "退出" in the menus' picture strip, which "关闭" shows too.
constexpr int kExitImage = 1;

// The picture at `size` pixels, the small icon size of the box's DPI: the
// strip's 16 x 16 picture stretched by the image list it is copied into.
HICON LoadExitIcon(int size) {
  HIMAGELIST strip =
      ImageList_LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_MENU_IMAGES), 16, 0,
                           RGB(255, 0, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION);
  if (!strip) return nullptr;
  UniqueIcon small(ImageList_GetIcon(strip, kExitImage, ILD_NORMAL));
  ImageList_Destroy(strip);
  HIMAGELIST sized = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 1, 0);
  ImageList_AddIcon(sized, small.get());
  HICON icon = ImageList_GetIcon(sized, 0, ILD_NORMAL);
  ImageList_Destroy(sized);
  return icon;
}

}  // namespace

AboutBox::AboutBox(Platform& platform) : Dialog(platform, IDD_ABOUT) {
  NetLabel::RegisterWindowClass();
}

AboutBox::~AboutBox() {
  if (banner_) DeleteObject(banner_);
}

bool AboutBox::OnInit() {
  SetText(hwnd(), kApplicationTitle);
  SetItemText(IDC_ABOUT_VERSION, kApplicationTitle);
  SetItemText(IDC_ABOUT_COPYRIGHT, kCopyright);
  const struct {
    int id;
    HyperLinkKind kind;
    std::string caption;
    const char* link;
  } links[] = {
      {IDC_ABOUT_HOMEPAGE, HyperLinkKind::kHttp, std::string("http://") + kHomePage, kHomePage},
      {IDC_ABOUT_MAIL, HyperLinkKind::kMail, kMailAddress, kMailAddress},
  };
  for (const auto& link : links) {
    NetLabel* label = NetLabel::From(Item(link.id));
    if (!label) continue;
    // Both open blue and underlined, like links on a page.
    label->state().set_color(Rgb(0, 0, 255));
    label->state().set_underline(true);
    label->SetLink(link.kind, link.link, link.caption);
  }
  // With common controls 6 a push button shows its picture beside its text.
  const int iconSize = SystemMetricForDpi(SM_CXSMICON, DpiForWindow(hwnd()));
  if (closeIconSize_ != iconSize) {
    closeIcon_.reset(LoadExitIcon(iconSize));
    closeIconSize_ = iconSize;
  }
  SendMessageW(Item(IDC_ABOUT_CLOSE), BM_SETIMAGE, IMAGE_ICON,
               reinterpret_cast<LPARAM>(closeIcon_.get()));
  if (!banner_) {
    int width = 0;
    int height = 0;
    banner_ = DecodeJpeg(ResourceBytes(IDR_ABOUT_BANNER), &width, &height);
    bannerSize_ = {width, height};
  }
  return true;
}

bool AboutBox::OnCommand(int id, int) {
  static constexpr Command<AboutBox> kCommands[] = {
      {IDCANCEL, &AboutBox::OnCloseButton},
      {IDC_ABOUT_CLOSE, &AboutBox::OnCloseButton},
  };
  return DispatchCommand(kCommands, *this, id);
}

void AboutBox::OnCloseButton() {
  EndModal(IDCANCEL);
}

bool AboutBox::OnMessage(UINT message, WPARAM, LPARAM lParam, INT_PTR& result) {
  if (message != WM_DRAWITEM) return false;
  const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
  if (item.CtlID != IDC_ABOUT_BANNER) return false;
  DrawBanner(item);
  result = TRUE;
  return true;
}

void AboutBox::DrawBanner(const DRAWITEMSTRUCT& item) {
  const RECT& box = item.rcItem;
  // The frame (Shape1) around the picture, the picture scaled to the inside.
  FrameRect(item.hDC, &box, GetSysColorBrush(COLOR_BTNSHADOW));
  if (!banner_) return;
  HDC memory = CreateCompatibleDC(item.hDC);
  HGDIOBJ old = SelectObject(memory, banner_);
  SetStretchBltMode(item.hDC, HALFTONE);
  StretchBlt(item.hDC, box.left + 1, box.top + 1, box.right - box.left - 2,
             box.bottom - box.top - 2, memory, 0, 0, bannerSize_.cx, bannerSize_.cy, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
}

}  // namespace tav
