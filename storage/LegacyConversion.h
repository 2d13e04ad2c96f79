// Hotkey lists of the earlier INI format, converted into scheme files.
//
// A legacy file (hotkey.ini in the program directory, *.ini in Data) holds
// one section per entry, in entry order: the section name is the key text,
// and the keys "执行操作", "提示" and "类别" give the action, the hint and
// the category (a missing key is an empty text). It is GB2312 text with any
// line ends, and is read by the profile-file rules of IniFile.h. The scheme
// it converts to lies beside it, with ".xml" in place of its extension, and
// is unprotected. The INI file itself is never changed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "storage/SchemeFile.h"

namespace tav {

struct LegacyConversionResult {
  int sectionCount = 0;    // sections of the INI file
  int convertedCount = 0;  // entries written: the first kMaxSchemeEntries sections at most
};

// The INI path with its extension replaced by ".xml".
std::string LegacySchemePath(const std::string& iniPath);

// hotkey.ini in the program directory.
std::string DefaultLegacyPath(const std::string& programDirectory);

// File names of the legacy files in Data: the regular files whose extension
// is ".ini" in any case, hidden and system files included, in the order the
// directory lists them. No Data directory gives none.
std::vector<std::string> ListLegacyFiles(const std::string& programDirectory);

// The entries of a legacy file, one per section in file order. The key text
// is copied as it stands, valid or not. Throws FileError when the file
// cannot be read.
std::vector<SchemeEntry> ReadLegacyEntries(const std::string& iniPath);
// The same from the file's bytes.
std::vector<SchemeEntry> LegacyEntriesFromBytes(std::string_view bytes);

// The scheme those entries convert to, in memory: a new scheme holding the
// first kMaxSchemeEntries of them. `result` tells how many there were and
// how many it holds.
SchemeDocument LegacyScheme(const std::vector<SchemeEntry>& entries,
                            LegacyConversionResult& result);

// Writes the scheme of the legacy file at LegacySchemePath, replacing any
// file there (the caller asks the user first), in one save. A scheme holds
// at most kMaxSchemeEntries entries: sections beyond them are left out, and
// the result tells how many there were. Throws FileError when the INI file
// cannot be read or the scheme cannot be written; an old scheme file then
// stays as it was.
LegacyConversionResult ConvertLegacyFile(const std::string& iniPath);

}  // namespace tav
