// The password prompt and the about box at the display's DPI: their font,
// controls and icons grow with the DPI, and no text is cut off. ctest runs it
// at 100%, 150% and 200% (run-at-dpi.sh sets Wine's DPI and names it in
// TAV_TEST_DPI).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "base/Version.h"
#include "dialogs/PasswordPrompt.h"
#include "help/AboutBox.h"
#include "platform/win32/Dpi.h"
#include "platform/win32/Wide.h"
#include "res/resource.h"
#include "tests/win32/Win32TestSupport.h"

namespace tav::test {
namespace {

SIZE TextSize(HWND control, HFONT font) {
  wchar_t text[64] = {};
  const int length = GetWindowTextW(control, text, 64);
  HDC dc = GetDC(control);
  const HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, text, length, &size);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  if (length == 0) size.cy = metrics.tmHeight;
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return size;
}

SIZE ClientSize(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  return {rect.right, rect.bottom};
}

TEST(PromptDpiTest, FontControlsAndIconFollowTheDpiAndNoTextIsCut) {
  QuietWin32Platform platform;
  std::string remembered;
  PasswordPrompt login(platform, remembered);
  bool measured = false;
  DialogWatch watch(L"密码", [&](HWND prompt) {
    measured = true;
    const UINT dpi = DpiForWindow(prompt);
    if (const char* expected = std::getenv("TAV_TEST_DPI")) {
      EXPECT_EQ(dpi, static_cast<UINT>(std::stoi(expected))) << "the display's DPI took effect";
    }
    // 宋体 at 9 points: 12 pixels at 96 DPI.
    const auto font = reinterpret_cast<HFONT>(SendMessageW(prompt, WM_GETFONT, 0, 0));
    LOGFONTW description{};
    ASSERT_TRUE(GetObjectW(font, sizeof description, &description));
    EXPECT_EQ(description.lfHeight, -MulDiv(9, static_cast<int>(dpi), 72));
    EXPECT_STREQ(description.lfFaceName, L"宋体");

    for (int id : {IDC_LOGIN_LABEL, IDOK, IDCANCEL, IDC_LOGIN_PASSWORD}) {
      const SIZE text = TextSize(GetDlgItem(prompt, id), font);
      const SIZE room = ClientSize(GetDlgItem(prompt, id));
      EXPECT_LE(text.cx, room.cx) << "control " << id << " at " << dpi;
      EXPECT_LE(text.cy, room.cy) << "control " << id << " at " << dpi;
    }

    // The whole prompt is as large as at 96 DPI, times the scale. Dialog units
    // follow the font's line height: 12 pixels for 宋体 on Windows, more for
    // the font Wine puts in its place, hence the range of heights.
    const SIZE client = ClientSize(prompt);
    const int widthAt96 = MulDiv(client.cx, 96, static_cast<int>(dpi));
    const int heightAt96 = MulDiv(client.cy, 96, static_cast<int>(dpi));
    EXPECT_TRUE(widthAt96 >= 220 && widthAt96 <= 300) << widthAt96 << " at " << dpi;
    EXPECT_TRUE(heightAt96 >= 105 && heightAt96 <= 160) << heightAt96 << " at " << dpi;

    // The icon is drawn at its own size for the DPI, not stretched, and fits.
    HWND image = GetDlgItem(prompt, IDC_LOGIN_ICON);
    const auto icon = reinterpret_cast<HICON>(SendMessageW(image, STM_GETICON, 0, 0));
    EXPECT_EQ(IconWidth(icon), ScaleForDpi(32, dpi));
    EXPECT_GE(ClientSize(image).cx, ScaleForDpi(32, dpi));
    PressButton(prompt, IDCANCEL);
  });
  login.Run("", /*checkOnly=*/true, nullptr);
  EXPECT_TRUE(measured);
}

// "关闭" shows its picture at the small icon size of the DPI, beside its
// caption and clear of the button's edges and focus rectangle.
TEST(PromptDpiTest, AboutBoxCloseHoldsItsPictureAndCaption) {
  QuietWin32Platform platform;
  AboutBox about(platform);
  bool measured = false;
  DialogWatch watch(Widen(kApplicationTitle), [&](HWND box) {
    measured = true;
    const UINT dpi = DpiForWindow(box);
    HWND close = GetDlgItem(box, IDC_ABOUT_CLOSE);
    const auto icon = reinterpret_cast<HICON>(SendMessageW(close, BM_GETIMAGE, IMAGE_ICON, 0));
    const int iconSize = IconWidth(icon);
    EXPECT_EQ(iconSize, ScaleForDpi(16, dpi));
    // The edge and the focus rectangle take 4 pixels a side at 96 DPI.
    const int margins = 2 * ScaleForDpi(4, dpi);
    const SIZE room = ClientSize(close);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0));
    EXPECT_GE(room.cy, iconSize + margins) << "at " << dpi;
    EXPECT_GE(room.cx, iconSize + TextSize(close, font).cx + margins) << "at " << dpi;
    PressButton(box, IDC_ABOUT_CLOSE);
  });
  about.ShowModal(nullptr);
  EXPECT_TRUE(measured);
}

}  // namespace
}  // namespace tav::test
