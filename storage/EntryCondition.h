// Where an entry fires: everywhere, only while one of some programs is in
// front, or everywhere except there. A program is named by the file name of
// its executable ("notepad.exe"); a title fragment narrows the match to the
// windows whose title contains it. Portable: the hotkey service asks it with
// what the system says is in front, the editor asks it about clashes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tav {

enum class ConditionMode { kOff, kOnlyIn, kExceptIn };

struct EntryCondition {
  ConditionMode mode = ConditionMode::kOff;
  std::string programs;  // "notepad.exe; WINWORD.EXE"
  std::string title;     // a fragment of the window title; empty: any title

  // Whether the condition narrows anything: a mode with neither programs nor
  // title is no condition.
  bool IsSet() const;
  bool operator==(const EntryCondition&) const = default;
};

// The window in front: its program's executable file name and its title.
struct ForegroundInfo {
  std::string executable;  // "notepad.exe"; a full path is reduced to its name
  std::string title;
};

// The program names of a list separated by ";" (or ","), blanks around each
// dropped, empty names and repeats (ignoring case) left out.
std::vector<std::string> ProgramNames(std::string_view list);

// The names joined as the editor shows and the scheme stores them.
std::string JoinProgramNames(const std::vector<std::string>& names);

// The file name of an executable path ("C:\x\Notepad.exe" -> "Notepad.exe").
std::string ExecutableName(std::string_view path);

// Whether `text` contains `fragment`, Latin letters compared without case.
bool ContainsIgnoringCase(std::string_view text, std::string_view fragment);

// Whether the entry may fire with `front` in front. Program names and the
// title fragment are compared without regard to the case of Latin letters.
bool ConditionHolds(const EntryCondition& condition, const ForegroundInfo& front);

// Whether some window could make both conditions hold at once: two entries
// may share a combination only when this is false.
bool ConditionsCanBothHold(const EntryCondition& a, const EntryCondition& b);

}  // namespace tav
