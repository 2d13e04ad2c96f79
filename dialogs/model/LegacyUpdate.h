// The command "升级热键配置文件": every legacy INI file of the program
// directory (hotkey.ini and Data\*.ini) converted into a scheme beside it,
// with the user's answers and messages. The main window supplies the menus.
#pragma once

#include <functional>
#include <string>

#include "platform/Platform.h"

namespace tav {

// Converts one legacy file. Returns false when the INI file does not exist
// or the user declines to overwrite the scheme file already there. When the
// file holds more entries than a scheme takes, the first ones are converted
// and the user is told how many were left out and that the INI file is kept.
// Throws on a file that cannot be read or a scheme that cannot be written.
bool ConvertLegacyFileAsked(Platform& platform, const std::string& iniPath);

// The whole command. `programDirectory` ends in a separator or not.
//
// hotkey.ini is converted first, without a menu item; an error there ends the
// command (it propagates to the caller's error report). Then each Data\*.ini
// in listing order: an error shows "热键配置文件“<name>”转换失败" and the
// next file follows. `schemeAdded` receives the file name ("工作.xml") of
// each user scheme that did not exist before, so that its menu items are
// added once; an overwritten scheme has its items already. `schemeWritten`,
// when given, receives the path of every scheme file the command wrote, so
// that the caller can reopen the active scheme when its file was replaced.
void UpdateLegacyFiles(
    Platform& platform, const std::string& programDirectory,
    const std::function<void(const std::string& schemeName)>& schemeAdded,
    const std::function<void(const std::string& schemePath)>& schemeWritten = {});

}  // namespace tav
