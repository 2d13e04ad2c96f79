// Reading and writing macro script files: code page 936 text, lines ended by
// CR LF, saved atomically. Lines are UTF-8 inside the program.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tav {

// Splits text into lines at CR LF, LF or a lone CR. A line break at the very
// end does not start another line, so "a\r\n" is one line and "" none.
std::vector<std::string> SplitTextLines(std::string_view text);

// The lines of a script file. Throws FileError when it cannot be read and
// EncodingError when it is not code page 936 text.
std::vector<std::string> ReadScriptLines(const std::string& path);

// The file bytes of `lines`: each line in code page 936 followed by CR LF.
// A character code page 936 cannot hold throws EncodingError naming its
// line (counted from 1); nothing is replaced by a stand-in character.
std::string EncodeScriptLines(const std::vector<std::string>& lines);

// Writes `lines` to `path` atomically: on any failure the old file stays.
void WriteScriptLines(const std::string& path, const std::vector<std::string>& lines);

// The file name a "save as" writes to: the chosen name when its extension is
// ".tsc" in any letter case, otherwise the chosen name with ".tsc" appended.
std::string ScriptSaveName(const std::string& chosen);

}  // namespace tav
