// What the main window's hotkey list decides, as portable code: the order of
// a sort by column, the state of the "修改" and "删除" commands for a
// selection, and the delete question with its comma text.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "storage/HotkeyEntry.h"

namespace tav {

// The bytes a text sorts by: its code page 936 (GB2312) form with only the
// letters a to z folded to A to Z, so that Chinese texts sort by their
// GB2312 codes. Nullopt for a text that code page 936 cannot hold.
std::optional<std::string> SortKey(const std::string& text);

// Compares two texts by their sort keys as bytes; a text with no key sorts
// after every text that has one, and equal to another without one.
// Negative, zero or positive like strcmp.
int CompareFolded(const std::string& a, const std::string& b);

// The list's columns.
inline constexpr int kHotkeyColumn = 0;
inline constexpr int kActionColumn = 1;
inline constexpr int kCategoryColumn = 2;

// The text an item shows in a column.
const std::string& ColumnText(const HotkeyListItem& item, int column);

// The sort state of the list. A click on the column sorted last flips the
// direction; a click on another column sorts it ascending.
class ListSort {
 public:
  void ColumnClick(int column);
  // After an add, change or delete the reloaded list comes in file order.
  void Reset();
  // The new order of `shown` (the items in their current list order) as
  // positions into it. Items that compare equal keep their order.
  std::vector<size_t> Order(const std::vector<HotkeyListItem>& shown) const;

  int column() const { return column_; }
  bool descending() const { return descending_; }
  int lastColumn() const { return lastColumn_; }

 private:
  int column_ = 0;
  bool descending_ = false;
  int lastColumn_ = -1;
};

// Whether the "修改" and "删除" commands (buttons and list menu) are enabled.
struct EditCommands {
  bool change = false;
  bool remove = false;
  bool operator==(const EditCommands&) const = default;
};
// After a click on the list: changing takes exactly one item.
EditCommands CommandsAfterListClick(int selectedCount);
// When the list menu opens: both with any selection. A change then takes
// the first selected item in list order.
EditCommands CommandsForListMenu(int selectedCount);

// Texts joined by commas; a text holding a blank, a control character, a
// comma or a double quote is written in double quotes, inner quotes doubled.
std::string CommaText(const std::vector<std::string>& texts);

// The question before deleting `selected` (list items, at least one).
std::string DeleteQuestion(const std::vector<HotkeyListItem>& selected);

inline constexpr const char* kDeleteTitle = "删除热键";

// Asks before deleting the selected items and, when the user agrees,
// removes their entries from the scheme file at `path` in one save (the
// highest slot first). With nothing selected it says so. Answers whether
// the file changed; the caller reloads.
bool DeleteSelectedEntries(Platform& platform, const std::string& path,
                           const std::vector<HotkeyListItem>& selected);

}  // namespace tav
