#include "dialogs/model/NetLabel.h"

namespace tav {

const char* HyperLinkPrefix(HyperLinkKind kind) {
  switch (kind) {
    case HyperLinkKind::kHttp:
      return "http://";
    case HyperLinkKind::kMail:
      return "mailto:";
    case HyperLinkKind::kTelnet:
      return "telnet:";
    case HyperLinkKind::kGopher:
      return "gopher://";
    case HyperLinkKind::kNews:
      return "news:";
    case HyperLinkKind::kFtp:
      return "ftp://";
  }
  return "";
}

NetLabelState::NetLabelState(std::string link, HyperLinkKind kind)
    : link_(std::move(link)), kind_(kind) {}

void NetLabelState::MouseEnter() {
  remembered_ = color_;
  color_ = hoverColor;
  underline_ = true;
}

void NetLabelState::MouseLeave() {
  color_ = remembered_;
  underline_ = false;
}

std::string NetLabelState::Click() {
  if (link_.empty()) return std::string();
  remembered_ = visitedColor;
  return HyperLinkPrefix(kind_) + link_;
}

}  // namespace tav
