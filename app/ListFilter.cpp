#include "app/ListFilter.h"

#include "storage/EntryCondition.h"

namespace tav {

bool RowMatchesFilter(const HotkeyListItem& item, const std::string& remark,
                      const std::string& filter) {
  for (const std::string* text : {&item.caption, &item.action, &remark, &item.category}) {
    if (ContainsIgnoringCase(*text, filter)) return true;
  }
  return false;
}

}  // namespace tav
