#include "storage/DataFolder.h"

#include <cstdio>
#include <initializer_list>

#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/FileSystem.h"

namespace tav {

namespace {

constexpr const char* kProbeName = "~tavrelin-write-probe.tmp";

// Copies `from` to `to`; `refresh` also replaces a copy whose bytes differ.
// A file that cannot be copied is left out: the program starts all the
// same and the user sees what is missing.
void CopyOne(const std::string& from, const std::string& to, bool refresh) {
  if (!IsRegularFile(from) || (!refresh && PathExists(to))) return;
  try {
    const std::string bytes = ReadWholeFile(from);
    if (refresh && IsRegularFile(to) && ReadWholeFile(to) == bytes) return;
    WriteFileAtomically(to, bytes);
  } catch (const Error&) {
  }
}

void CopyFolderFiles(const std::string& from, const std::string& to) {
  if (!IsDirectory(from) || !CreateFolders(to)) return;
  for (const FolderEntry& entry : ListFolder(from)) {
    if (entry.isRegularFile) CopyOne(JoinPath(from, entry.name), JoinPath(to, entry.name), false);
  }
}

}  // namespace

bool FolderIsWritable(const std::string& folder) {
  const std::string probe = JoinPath(folder, kProbeName);
  std::FILE* file = OpenFile(probe, "wb");
  if (!file) return false;
  std::fclose(file);
  RemovePath(probe);
  return true;
}

DataFolder ChooseDataFolder(const std::string& programFolder, bool programFolderWritable,
                            const std::string& userFolder) {
  if (programFolderWritable) return {programFolder, false, false};
  const bool firstUse = !IsDirectory(userFolder);
  if (!CreateFolders(userFolder)) return {programFolder, false, false};
  for (const char* name : {"hotkey.xml", "set.ini", "hotkey.ini"})
    CopyOne(programFolder + name, userFolder + name, false);
  // The help file is the program's, not the user's: it follows the program.
  CopyOne(programFolder + "帮助.chm", userFolder + "帮助.chm", true);
  for (const char* folder : {"Data", "Script"})
    CopyFolderFiles(programFolder + folder, userFolder + folder);
  return {userFolder, true, firstUse};
}

}  // namespace tav
