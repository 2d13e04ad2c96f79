#include "app/HotkeyList.h"

#include <algorithm>

#include "storage/SchemeFile.h"

namespace tav {

namespace {

unsigned char Folded(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - 'a' + 'A') : byte;
}

bool NeedsQuotes(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte <= ' ' || byte == 0x7F || c == ',' || c == '"';
  });
}

}  // namespace

int CompareFolded(const std::string& a, const std::string& b) {
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    const int difference = Folded(a[i]) - Folded(b[i]);
    if (difference != 0) return difference;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

const std::string& ColumnText(const HotkeyListItem& item, int column) {
  switch (column) {
    case kActionColumn:
      return item.action;
    case kCategoryColumn:
      return item.category;
    default:
      return item.caption;
  }
}

void ListSort::ColumnClick(int column) {
  descending_ = column == lastColumn_ ? !descending_ : false;
  lastColumn_ = column;
  column_ = column;
}

void ListSort::Reset() {
  descending_ = false;
  lastColumn_ = -1;
}

int ListSort::Compare(const HotkeyListItem& a, const HotkeyListItem& b) const {
  const int order = CompareFolded(ColumnText(a, column_), ColumnText(b, column_));
  return descending_ ? -order : order;
}

bool ListSort::Before(const HotkeyListItem& a, const HotkeyListItem& b) const {
  return Compare(a, b) < 0;
}

EditCommands CommandsAfterListClick(int selectedCount) {
  return {selectedCount == 1, selectedCount >= 1};
}

EditCommands CommandsForListMenu(int selectedCount) {
  return {selectedCount >= 1, selectedCount >= 1};
}

std::string CommaText(const std::vector<std::string>& texts) {
  std::string result;
  for (size_t i = 0; i < texts.size(); ++i) {
    const std::string& text = texts[i];
    if (i > 0) result += ',';
    if (!NeedsQuotes(text)) {
      result += text;
      continue;
    }
    result += '"';
    for (char c : text) {
      if (c == '"') result += '"';
      result += c;
    }
    result += '"';
  }
  return result;
}

std::string DeleteQuestion(const std::vector<HotkeyListItem>& selected) {
  if (selected.size() == 1) {
    const HotkeyListItem& item = selected.front();
    return "您真的决定要删除热键“" + item.caption + ": " + CommaText({item.action, item.category}) +
           "”吗？";
  }
  return "您真的决定要删除您所选定的这" + std::to_string(selected.size()) + "个热键吗？";
}

bool DeleteSelectedEntries(Platform& platform, const std::string& path,
                           const std::vector<HotkeyListItem>& selected) {
  if (selected.empty()) {
    platform.MessageBox("请选择您要删除的项目。", kDeleteTitle, mb::kOk | mb::kIconInformation);
    return false;
  }
  if (platform.MessageBox(DeleteQuestion(selected), kDeleteTitle,
                          mb::kOkCancel | mb::kIconQuestion) != mb::kIdOk) {
    return false;
  }
  std::vector<int> slots;
  for (const HotkeyListItem& item : selected) slots.push_back(item.slot);
  SchemeDocument document;
  document.Load(path);
  document.RemoveEntries(slots);
  document.Save(path);
  return true;
}

}  // namespace tav
