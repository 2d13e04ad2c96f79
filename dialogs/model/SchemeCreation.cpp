#include "dialogs/model/SchemeCreation.h"

#include <algorithm>
#include <string_view>

#include "base/AsciiText.h"
#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/FileSystem.h"
#include "base/Version.h"
#include "storage/SchemeFile.h"

namespace tav {

namespace {

constexpr std::string_view kForbiddenCharacters = "\\/:*?\"<>|";
constexpr size_t kMaxFileNameUnits = 255;  // UTF-16 units of one path component

// Device names Windows reserves whatever the extension.
constexpr std::string_view kReservedNames[] = {
    "CON",  "PRN",  "AUX",  "NUL",  "CONIN$", "CONOUT$", "COM0", "COM1", "COM2", "COM3", "COM4",
    "COM5", "COM6", "COM7", "COM8", "COM9",   "COM¹",    "COM²", "COM³", "LPT0", "LPT1", "LPT2",
    "LPT3", "LPT4", "LPT5", "LPT6", "LPT7",   "LPT8",    "LPT9", "LPT¹", "LPT²", "LPT³"};

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Length of UTF-8 text in UTF-16 units.
size_t Utf16Length(std::string_view text) {
  size_t units = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++units;  // a lead byte starts a code point
    if ((c & 0xF8) == 0xF0) ++units;  // four-byte sequences need a surrogate pair
  }
  return units;
}

// The device name a file name stands for: the part before the first dot,
// without the blanks Windows drops before it.
std::string_view DeviceStem(std::string_view name) {
  std::string_view stem = name.substr(0, name.find('.'));
  while (!stem.empty() && IsBlank(stem.back())) stem.remove_suffix(1);
  return stem;
}

}  // namespace

bool ConfirmSchemeOverwrite(Platform& platform, const std::string& path) {
  if (!FileExists(path)) return true;
  const std::string question =
      "热键配制方案“" + FileNameOf(path) + "”已经存在，" + "\r" + "你是否要覆盖该热键配制方案吗？";
  return platform.MessageBox(question, "", mb::kYesNo | mb::kIconQuestion) == mb::kIdYes;
}

bool CreateSchemeFile(Platform& platform, const std::string& path) {
  if (!ConfirmSchemeOverwrite(platform, path)) return false;
  WriteSchemeTemplate(path);
  return true;
}

std::optional<std::string> SchemeNameProblem(const std::string& name) {
  if (std::all_of(name.begin(), name.end(), IsBlank)) return "请输入方案的名称。";
  const bool hasForbidden = std::any_of(name.begin(), name.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 ||
           kForbiddenCharacters.find(c) != std::string::npos;
  });
  if (hasForbidden) return "方案名称中不能有 \\ / : * ? \" < > | 这些字符。";
  if (name.find_first_not_of(". \t") == std::string::npos) return "方案名称不能只由“.”组成。";
  const std::string_view stem = DeviceStem(name);
  for (std::string_view reserved : kReservedNames) {
    if (EqualsIgnoringAsciiCase(stem, reserved))
      return "“" + std::string(stem) + "”是系统保留的设备名，不能用作方案名称。";
  }
  if (Utf16Length(name) + 4 > kMaxFileNameUnits) return "方案名称太长了。";
  return std::nullopt;
}

bool CreateNamedScheme(Platform& platform, const std::string& programDirectory,
                       const std::string& name, const SchemeMenuCallbacks& menus) {
  if (const std::optional<std::string> problem = SchemeNameProblem(name)) {
    platform.MessageBox(*problem, kApplicationTitle, mb::kOk | mb::kIconInformation);
    return false;
  }
  const std::string dataDirectory = UserSchemePath(programDirectory, "");
  if (!CreateFolders(dataDirectory)) throw FileError("无法建立方案文件夹“" + dataDirectory + "”");

  const std::string fileName = name + ".xml";
  const std::string path = UserSchemePath(programDirectory, fileName);
  if (!CreateSchemeFile(platform, path)) return false;
  if (!menus.hasItem(fileName)) menus.addItem(fileName);
  menus.openScheme(path, fileName);
  return true;
}

}  // namespace tav
