// Creating a new scheme file from the user's side: the overwrite question
// is asked here, above storage, which never asks the user anything; and the
// name typed for a new scheme is checked before any file is touched.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace tav {

// Whether a scheme file may be written at `path`: true when there is no file
// there, or the user answers Yes to the overwrite question.
bool ConfirmSchemeOverwrite(Platform& platform, const std::string& path);

// Writes the template of an empty, unprotected scheme at `path`. When a file
// exists there the user is asked first; any answer but Yes returns false and
// leaves the file untouched. Throws FileError when the file cannot be written.
bool CreateSchemeFile(Platform& platform, const std::string& path);

// Why `name` cannot name a new scheme Data\<name>.xml, or nullopt when it
// can: an empty or blank name, one made of dots only, a character Windows
// forbids in file names (path separators, a drive colon, * ? " < > |,
// control characters), a reserved device name (CON, NUL, COM1, ...; also
// with an extension), or a name too long for a file name.
std::optional<std::string> SchemeNameProblem(const std::string& name);

// What the main window does for a scheme created from its "新建方案" item.
struct SchemeMenuCallbacks {
  // Whether the scheme menus list a user scheme of this file name already.
  std::function<bool(const std::string& fileName)> hasItem;
  // Adds the scheme to the end of the three scheme menus.
  std::function<void(const std::string& fileName)> addItem;
  // Opens the scheme at `path` and checks its items in both open menus.
  std::function<void(const std::string& path, const std::string& fileName)> openScheme;
};

// The "新建方案" input confirmed with `name`: checks it (a problem is told
// and nothing is created), creates a missing Data folder, writes
// Data\<name>.xml through CreateSchemeFile, adds the scheme to the menus
// unless they list it already (an overwritten scheme keeps its one item) and
// opens it, which also reopens an overwritten active scheme. True when the
// scheme was created; false leaves the input dialog open.
bool CreateNamedScheme(Platform& platform, const std::string& programDirectory,
                       const std::string& name, const SchemeMenuCallbacks& menus);

}  // namespace tav
