#include "storage/EntryCondition.h"

#include <algorithm>

#include "base/AsciiText.h"

namespace tav {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool ListHas(const std::vector<std::string>& names, std::string_view name) {
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& n) { return EqualsIgnoringAsciiCase(n, name); });
}

// Whether the programs and title of `c` describe the window; an empty list
// stands for every program.
bool Describes(const EntryCondition& c, const ForegroundInfo& front) {
  const std::vector<std::string> names = ProgramNames(c.programs);
  if (!names.empty() && !ListHas(names, ExecutableName(front.executable))) return false;
  return ContainsIgnoringCase(front.title, Trimmed(c.title));
}

// Whether every window `narrow` describes is described by `wide` too.
bool DescribesOnlyWhatOtherDoes(const EntryCondition& narrow, const EntryCondition& wide) {
  const std::vector<std::string> wideNames = ProgramNames(wide.programs);
  const std::vector<std::string> narrowNames = ProgramNames(narrow.programs);
  const bool programsInside =
      wideNames.empty() ||
      (!narrowNames.empty() &&
       std::all_of(narrowNames.begin(), narrowNames.end(),
                   [&](const std::string& n) { return ListHas(wideNames, n); }));
  return programsInside && ContainsIgnoringCase(Trimmed(narrow.title), Trimmed(wide.title));
}

}  // namespace

bool EntryCondition::IsSet() const {
  return mode != ConditionMode::kOff &&
         (!ProgramNames(programs).empty() || !Trimmed(title).empty());
}

std::vector<std::string> ProgramNames(std::string_view list) {
  std::vector<std::string> names;
  while (!list.empty()) {
    const size_t end = std::min(list.find(';'), list.find(','));
    const std::string_view name = Trimmed(list.substr(0, end));
    if (!name.empty() && !ListHas(names, name)) names.emplace_back(name);
    list.remove_prefix(end == std::string_view::npos ? list.size() : end + 1);
  }
  return names;
}

std::string JoinProgramNames(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : "; ") + name;
  return list;
}

std::string ExecutableName(std::string_view path) {
  const size_t slash = path.find_last_of("\\/");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool ContainsIgnoringCase(std::string_view text, std::string_view fragment) {
  if (fragment.empty()) return true;
  for (size_t at = 0; at + fragment.size() <= text.size(); ++at) {
    if (EqualsIgnoringAsciiCase(text.substr(at, fragment.size()), fragment)) return true;
  }
  return false;
}

bool ConditionHolds(const EntryCondition& condition, const ForegroundInfo& front) {
  if (!condition.IsSet()) return true;
  const bool described = Describes(condition, front);
  return condition.mode == ConditionMode::kOnlyIn ? described : !described;
}

bool ConditionsCanBothHold(const EntryCondition& a, const EntryCondition& b) {
  if (!a.IsSet() || !b.IsSet()) return true;
  if (a.mode == ConditionMode::kOnlyIn && b.mode == ConditionMode::kOnlyIn) {
    // Two title fragments both fit in one title; only disjoint program
    // lists keep the two apart.
    const std::vector<std::string> namesA = ProgramNames(a.programs);
    const std::vector<std::string> namesB = ProgramNames(b.programs);
    return namesA.empty() || namesB.empty() ||
           std::any_of(namesA.begin(), namesA.end(),
                       [&](const std::string& n) { return ListHas(namesB, n); });
  }
  if (a.mode == ConditionMode::kExceptIn && b.mode == ConditionMode::kExceptIn) {
    return true;  // finite lists and fragments never cover every window
  }
  const EntryCondition& only = a.mode == ConditionMode::kOnlyIn ? a : b;
  const EntryCondition& except = a.mode == ConditionMode::kOnlyIn ? b : a;
  return !DescribesOnlyWhatOtherDoes(only, except);
}

}  // namespace tav
