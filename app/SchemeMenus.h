// The three scheme menus of the main window as one model: the open menus of
// the menu bar ("选择热键设置方案") and of the tray menu ("热键设置方案"),
// which start with the default scheme and a separator, and the delete menu
// ("删除方案"), which holds the user schemes only. The windows render all
// three from this one list, so they cannot drift apart: a user scheme at
// position k of the delete menu is at position k + 2 of both open menus.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace tav {

// The hint (and caption) of the default scheme's item in the open menus.
inline constexpr const char* kDefaultSchemeHint = "默认设置";
// The position that stands for the default scheme's item.
inline constexpr int kDefaultSchemeItem = -1;

// What the scheme menus ask of the main window.
class SchemeMenuHost {
 public:
  virtual ~SchemeMenuHost() = default;
  // Whether the password prompt is showing.
  virtual bool LoginShowing() = 0;
  // The digest of the remembered scheme password.
  virtual std::string RememberedPasswordDigest() = 0;
  // The prompt in check-only mode for `digest`; whether it was accepted.
  virtual bool CheckPassword(const std::string& digest) = 0;
  // Makes the file the active scheme; false when it did not open.
  virtual bool OpenScheme(const std::string& path) = 0;
};

struct SchemeMenuEntry {
  std::string name;     // file name with ".xml": caption and hint
  bool locked = false;  // shows the lock image
  bool operator==(const SchemeMenuEntry&) const = default;
};

class SchemeMenus {
 public:
  SchemeMenus(Platform& platform, std::string programDirectory, SchemeMenuHost& host);

  // Rebuilds the list from the files of Data\ in listing order, each with
  // its lock mark; the default scheme gets its mark too.
  void ListMenus();
  // Adds a user scheme's item to the three menus; a name already listed
  // (a scheme overwritten by name) is not added twice, its lock mark is
  // read again.
  void AddSchemeItem(const std::string& name);

  // A click on an open-menu item, named by its hint. On success the item is
  // checked in both open menus; a failed open (a vanished file, which the
  // host reports, or a refused password) changes nothing.
  bool OpenFromMenu(const std::string& hint);
  // A click on item `position` of the delete menu: the password check of a
  // protected scheme (a damaged one has no digest to check), the question,
  // the deletion; deleting the active scheme opens the default one. Answers
  // whether the item went away.
  bool DeleteFromMenu(int position);
  // A click on "删除方案" itself: with no user schemes, says so.
  void SayWhenNoSchemeToDelete();

  // Gives the checked item (the active scheme) the lock mark or takes it.
  void MarkCheckedItems(bool protect);

  const std::vector<SchemeMenuEntry>& userSchemes() const { return users_; }
  bool defaultLocked() const { return defaultLocked_; }
  // The checked item: kDefaultSchemeItem, a user scheme's position, or
  // nullopt before any scheme opened from the menus.
  std::optional<int> checked() const { return checked_; }
  // The position of a user scheme by name, or nullopt.
  std::optional<int> Find(const std::string& name) const;

 private:
  bool IsLocked(const std::string& path) const;
  void Drop(int position);
  void ReportVanished(const std::string& name);

  Platform& platform_;
  const std::string programDirectory_;
  SchemeMenuHost& host_;
  std::vector<SchemeMenuEntry> users_;
  bool defaultLocked_ = false;
  std::optional<int> checked_;
};

}  // namespace tav
