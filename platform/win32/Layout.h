// Child layout of the windows that are not dialogs (the main window, the
// script editor): one table of controls, each placed in a reference client
// area measured in pixels at 96 DPI, with the edges that follow the window's
// edges when it is resized. Applied on create, on WM_SIZE and on
// WM_DPICHANGED; the lengths are scaled by the window's DPI.
//
//   static constexpr LayoutItem kLayout[] = {
//       {IDC_LIST, {4, 2, 356, 361}, kAnchorAll},
//       {IDC_CLOSE, {280, 373, 75, 25}, kAnchorRight | kAnchorBottom},
//   };
//   layout_ = Layout(kLayout, {364, 405});  ...  layout_.Apply(hwnd());
#pragma once

#include "platform/win32/WinApi.h"

#include <span>
#include <vector>

namespace tav {

// The edges of a control that keep their distance to the same edge of the
// window. Left and right together stretch the control; neither centres it.
enum Anchor : unsigned {
  kAnchorLeft = 1,
  kAnchorTop = 2,
  kAnchorRight = 4,
  kAnchorBottom = 8,
  kAnchorTopLeft = kAnchorLeft | kAnchorTop,
  kAnchorAll = kAnchorLeft | kAnchorTop | kAnchorRight | kAnchorBottom,
};

struct LayoutBounds {
  int x, y, width, height;  // pixels at 96 DPI in the reference client area
};

struct LayoutItem {
  int id;  // the control's id
  LayoutBounds bounds;
  unsigned anchors = kAnchorTopLeft;
};

// Where a control goes in a client area of `clientWidth` x `clientHeight`
// pixels at `dpi`.
RECT PlaceLayoutItem(const LayoutItem& item, SIZE referenceClient, int clientWidth,
                     int clientHeight, UINT dpi);

class Layout {
 public:
  Layout() = default;
  Layout(std::span<const LayoutItem> items, SIZE referenceClient)
      : items_(items.begin(), items.end()), referenceClient_(referenceClient) {}

  // Places every control of the table in the window's client area, and gives
  // them the UI font of the window's DPI when that changed.
  void Apply(HWND window);
  // The client size of the reference area at the window's DPI: the size to
  // create the window with.
  SIZE ClientSizeFor(UINT dpi) const;

 private:
  std::vector<LayoutItem> items_;
  SIZE referenceClient_{};
  UINT fontDpi_ = 0;
};

}  // namespace tav
