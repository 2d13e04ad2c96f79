// Where the program keeps what it writes (schemes, set.ini, scripts): the
// program folder when it can be written, as a portable program expects;
// otherwise (unpacked under Program Files, a read-only share) a folder of
// the user's own, filled on first use with copies from the program folder,
// since every save there would fail.
#pragma once

#include <string>

namespace tav {

// Whether a file can be made in `folder`: a probe file is created and
// removed again.
bool FolderIsWritable(const std::string& folder);

struct DataFolder {
  std::string path;          // ends in a separator
  bool movedToUser = false;  // not the program folder
  bool firstUse = false;     // the user's folder was made just now
};

// `programFolder` (ending in a separator) when `programFolderWritable`;
// otherwise `userFolder` (the user's application-data folder for the
// program, ending in a separator), made when missing. Files the program
// folder ships (hotkey.xml, set.ini, hotkey.ini, the help file, Data\ and
// Script\) are copied into it where the user's folder has none yet; the
// help file is brought up to date with the program's. When the user's
// folder cannot be made, the program folder is kept.
DataFolder ChooseDataFolder(const std::string& programFolder, bool programFolderWritable,
                            const std::string& userFolder);

}  // namespace tav
