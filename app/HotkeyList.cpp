#include "app/HotkeyList.h"

#include <algorithm>

#include "base/Errors.h"
#include "base/TextEncoding.h"
#include "storage/SchemeFile.h"

namespace tav {

namespace {

int CompareKeys(const std::optional<std::string>& a, const std::optional<std::string>& b) {
  if (!a || !b) return (a ? -1 : 0) + (b ? 1 : 0);
  // std::string compares its bytes as unsigned char.
  return a->compare(*b);
}

bool NeedsQuotes(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte <= ' ' || byte == 0x7F || c == ',' || c == '"';
  });
}

}  // namespace

std::optional<std::string> SortKey(const std::string& text) {
  std::string key;
  try {
    key = Utf8ToCp936(text);
  } catch (const EncodingError&) {
    return std::nullopt;
  }
  for (char& c : key) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return key;
}

int CompareFolded(const std::string& a, const std::string& b) {
  return CompareKeys(SortKey(a), SortKey(b));
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

std::vector<size_t> ListSort::Order(const std::vector<HotkeyListItem>& shown) const {
  std::vector<std::optional<std::string>> keys;
  for (const HotkeyListItem& item : shown) keys.push_back(SortKey(ColumnText(item, column_)));
  std::vector<size_t> order(shown.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    const int result = CompareKeys(keys[a], keys[b]);
    return descending_ ? result > 0 : result < 0;
  });
  return order;
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
