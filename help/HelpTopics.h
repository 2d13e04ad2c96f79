// The help file and the topics the program asks for. A help address is the
// program directory (ending in a backslash), the file name, "::/" and the
// topic, so there is exactly one separator before the file name.
#pragma once

#include <string>

namespace tav {

inline constexpr const char* kHelpFileName = "帮助.chm";
inline constexpr const char* kScriptEditorTopic = "ScriptEditor.htm";
inline constexpr const char* kAddHotkeyTopic = "AddHotkey.htm";
inline constexpr const char* kBasicSettingsTopic = "SettingCenter.htm#基本设置";
inline constexpr const char* kCategorySettingsTopic = "SettingCenter.htm#类别设置";

inline std::string HelpFilePath(const std::string& programDirectory) {
  std::string path = programDirectory;
  if (path.empty() || (path.back() != '\\' && path.back() != '/')) path += '\\';
  return path + kHelpFileName;
}

inline std::string HelpAddress(const std::string& programDirectory, const std::string& topic) {
  return HelpFilePath(programDirectory) + "::/" + topic;
}

}  // namespace tav
