// The upgrade of legacy INI files on a real Windows file system: Chinese
// file names, hidden files, and entries exactly as the system's profile
// functions read the same files.
#include "platform/win32/WinApi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/AtomicFile.h"
#include "base/TextEncoding.h"
#include "dialogs/model/LegacyUpdate.h"
#include "platform/RecordingPlatform.h"
#include "storage/LegacyConversion.h"
#include "storage/SchemeFile.h"

namespace tav::test {
namespace {

using Strings = std::vector<std::string>;

std::wstring Wide(const std::string& utf8) {
  const std::u16string units = Utf8ToUtf16(utf8);
  return std::wstring(units.begin(), units.end());
}

std::string SystemValue(const std::string& path, const std::string& section,
                        const std::string& key) {
  wchar_t buffer[4096];
  const DWORD length = GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), L"",
                                                buffer, 4096, Wide(path).c_str());
  return Utf16ToUtf8(std::u16string(buffer, buffer + length));
}

// The entries the system's profile functions see in a legacy file.
std::vector<SchemeEntry> SystemEntries(const std::string& path) {
  std::vector<SchemeEntry> entries;
  wchar_t names[8192];
  const DWORD length = GetPrivateProfileSectionNamesW(names, 8192, Wide(path).c_str());
  for (DWORD at = 0; at < length && names[at];) {
    const std::wstring name(names + at);
    const std::string section = Utf16ToUtf8(std::u16string(name.begin(), name.end()));
    entries.push_back({section, SystemValue(path, section, "执行操作"),
                       SystemValue(path, section, "提示"), SystemValue(path, section, "类别")});
    at += static_cast<DWORD>(name.size()) + 1;
  }
  return entries;
}

std::vector<SchemeEntry> SchemeEntries(const std::string& path) {
  SchemeDocument document;
  document.Load(path);
  std::vector<SchemeEntry> entries;
  for (int i = 0; i < document.EntryCount(); ++i) entries.push_back(document.Entry(i));
  return entries;
}

TEST(LegacyUpdateWin32Test, UserSchemesOfChineseAndHiddenFilesAgreeWithTheSystemsReading) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::string dir = Utf16ToUtf8(reinterpret_cast<const char16_t*>(temp)) + "tav-升级-" +
                          std::to_string(GetCurrentProcessId()) + "\\";
  ASSERT_TRUE(CreateDirectoryW(Wide(dir).c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(Wide(dir + "Data").c_str(), nullptr));

  WriteFileAtomically(dir + "hotkey.ini", Utf8ToCp936("[3+78]\n执行操作=notepad.exe\n"));
  // CR line ends, keys in another order, a repeated section, a key text that
  // is not valid, and a section with no keys.
  WriteFileAtomically(
      dir + "Data\\工作.ini",
      Utf8ToCp936("[3+65]\r类别=工具\r执行操作=calc.exe\r提示=计算器\r"
                  "[6+66]\r提示=只有提示\r[3+65]\r执行操作=重复\r[坏键]\r[2+67]\r"));
  WriteFileAtomically(dir + "Data\\隐藏.ini", Utf8ToCp936("[3+68]\r\n执行操作=\"引号\"\r\n"));
  SetFileAttributesW(Wide(dir + "Data\\隐藏.ini").c_str(), FILE_ATTRIBUTE_HIDDEN);

  RecordingPlatform platform;
  Strings added;
  UpdateLegacyFiles(platform, dir, [&](const std::string& name) { added.push_back(name); });
  std::sort(added.begin(), added.end());
  EXPECT_EQ(added, (Strings{"工作.xml", "隐藏.xml"}));
  EXPECT_TRUE(platform.Calls().empty());

  for (const char* name : {"hotkey.ini", "Data\\工作.ini", "Data\\隐藏.ini"}) {
    const std::string ini = dir + name;
    EXPECT_EQ(SchemeEntries(LegacySchemePath(ini)), SystemEntries(ini)) << name;
  }
  EXPECT_EQ(SchemeEntries(dir + "Data\\工作.xml").size(), 5u);

  for (const char* name : {"hotkey.ini", "hotkey.xml", "Data\\工作.ini", "Data\\工作.xml",
                           "Data\\隐藏.ini", "Data\\隐藏.xml"}) {
    SetFileAttributesW(Wide(dir + name).c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(Wide(dir + name).c_str());
  }
  RemoveDirectoryW(Wide(dir + "Data").c_str());
  RemoveDirectoryW(Wide(dir).c_str());
}

}  // namespace
}  // namespace tav::test
