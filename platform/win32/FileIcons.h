// Small icons of the files, folders and programs that hotkeys open, looked
// up one target at a time from the file itself or from its type's
// registered icon. The shell's system image list is never asked: once made
// it stays in the process for its whole life, megabytes for a list of a few
// dozen rows.
#pragma once

#include "platform/win32/WinApi.h"

#include <commctrl.h>

#include <map>
#include <optional>
#include <string>

namespace tav {

// Where an icon is kept: a file and the icon's index in it (a negative index
// names a resource id, as in a registry's DefaultIcon value).
struct IconLocation {
  std::wstring file;
  int index = 0;
};

// The icon location of a target as the shell would open it: a program, an
// icon or a library shows its own first icon (a bare program name is looked
// for where the shell looks), a folder the folder icon, a shortcut its
// target's icon, another file its type's registered icon or the generic
// document icon. Environment references are expanded. Nothing for an address,
// a built-in operation or a file that does not exist.
std::optional<IconLocation> IconLocationOf(const std::wstring& target);

// Adds the targets' icons to an image list, each location once.
class TargetIcons {
 public:
  // `images` stays the caller's; icons are drawn at `size` pixels.
  TargetIcons(HIMAGELIST images, int size) : images_(images), size_(size) {}

  // The image of `target` in the list, or -1 when it has no icon.
  int ImageFor(const std::wstring& target);

 private:
  HIMAGELIST images_;
  int size_;
  std::map<std::wstring, int> imageByLocation_;  // lower-case "file,index"
};

}  // namespace tav
