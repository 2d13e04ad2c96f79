// The hyperlink label's behaviour without a window: which colour and
// underline it shows as the mouse enters and leaves, and which address a
// click opens. Colours are 0x00BBGGRR like COLORREF.
#pragma once

#include <cstdint>
#include <string>

namespace tav {

enum class HyperLinkKind { kHttp, kMail, kTelnet, kGopher, kNews, kFtp };

// The scheme prefix a click puts before the link: "http://", "mailto:", ...
const char* HyperLinkPrefix(HyperLinkKind kind);

inline constexpr uint32_t Rgb(unsigned r, unsigned g, unsigned b) {
  return r | (g << 8) | (b << 16);
}

class NetLabelState {
 public:
  // A new label: maroon, the mail kind, its caption the link.
  explicit NetLabelState(std::string link = "tavrelin@example.com",
                         HyperLinkKind kind = HyperLinkKind::kMail);

  // Mouse enters: the hover colour and underline; the colour before is kept.
  void MouseEnter();
  // Mouse leaves: the kept colour back, no underline.
  void MouseLeave();
  // A click: the address to open (prefix and link), or the empty text for an
  // empty link. Opening makes the visited colour the one kept for leaving.
  std::string Click();

  uint32_t color() const { return color_; }
  bool underline() const { return underline_; }
  void set_color(uint32_t color) { color_ = color; }
  void set_underline(bool underline) { underline_ = underline; }
  const std::string& link() const { return link_; }
  HyperLinkKind kind() const { return kind_; }

  uint32_t hoverColor = Rgb(0, 0, 255);
  uint32_t visitedColor = Rgb(0, 0, 128);

 private:
  std::string link_;
  HyperLinkKind kind_;
  uint32_t color_ = Rgb(128, 0, 0);
  uint32_t remembered_ = Rgb(128, 0, 0);
  bool underline_ = false;
};

}  // namespace tav
