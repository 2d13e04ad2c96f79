// Creating a new scheme file from the user's side: the overwrite question
// is asked here, above storage, which never asks the user anything.
#pragma once

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

}  // namespace tav
