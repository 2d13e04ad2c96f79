// The filter above the main window's list: a row stays when its key text,
// action, remark or category contains the typed text, Latin letters
// compared without case. Portable, so the native tests hold it.
#pragma once

#include <string>

#include "storage/HotkeyEntry.h"

namespace tav {

// `remark` is the entry's hint, which the list shows only as a tooltip.
bool RowMatchesFilter(const HotkeyListItem& item, const std::string& remark,
                      const std::string& filter);

}  // namespace tav
