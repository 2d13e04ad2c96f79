#include "platform/win32/Layout.h"

#include "platform/win32/Controls.h"
#include "platform/win32/Dpi.h"

namespace tav {

namespace {

// One axis: the start and length of a control whose start and end edges
// follow the window's start and end edges (or not).
void PlaceOnAxis(int start, int length, int reference, int actual, bool followsStart,
                 bool followsEnd, LONG& outStart, LONG& outEnd) {
  const int growth = actual - reference;
  if (followsStart && followsEnd) {
    length += growth;
  } else if (followsEnd) {
    start += growth;
  } else if (!followsStart) {
    start += growth / 2;  // neither edge: stays centred in the growth
  }
  outStart = start;
  outEnd = start + (length > 0 ? length : 0);
}

}  // namespace

RECT PlaceLayoutItem(const LayoutItem& item, SIZE referenceClient, int clientWidth,
                     int clientHeight, UINT dpi) {
  RECT rect{};
  PlaceOnAxis(ScaleForDpi(item.bounds.x, dpi), ScaleForDpi(item.bounds.width, dpi),
              ScaleForDpi(referenceClient.cx, dpi), clientWidth, item.anchors & kAnchorLeft,
              item.anchors & kAnchorRight, rect.left, rect.right);
  PlaceOnAxis(ScaleForDpi(item.bounds.y, dpi), ScaleForDpi(item.bounds.height, dpi),
              ScaleForDpi(referenceClient.cy, dpi), clientHeight, item.anchors & kAnchorTop,
              item.anchors & kAnchorBottom, rect.top, rect.bottom);
  return rect;
}

void Layout::Apply(HWND window) {
  const UINT dpi = DpiForWindow(window);
  RECT client{};
  GetClientRect(window, &client);
  const bool newFont = dpi != fontDpi_;
  fontDpi_ = dpi;
  HDWP positions = BeginDeferWindowPos(static_cast<int>(items_.size()));
  for (const LayoutItem& item : items_) {
    HWND control = GetDlgItem(window, item.id);
    if (!control) continue;
    if (newFont) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont(dpi)), FALSE);
    const RECT rect = PlaceLayoutItem(item, referenceClient_, client.right, client.bottom, dpi);
    if (positions) {
      positions =
          DeferWindowPos(positions, control, nullptr, rect.left, rect.top, rect.right - rect.left,
                         rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  if (positions) EndDeferWindowPos(positions);
  if (newFont) InvalidateRect(window, nullptr, TRUE);
}

SIZE Layout::ClientSizeFor(UINT dpi) const {
  return SIZE{ScaleForDpi(referenceClient_.cx, dpi), ScaleForDpi(referenceClient_.cy, dpi)};
}

}  // namespace tav
