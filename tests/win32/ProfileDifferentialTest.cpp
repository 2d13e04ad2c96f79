// Our profile-file module against the system's profile functions, on a
// generated corpus of awkward files: what each reads, and what a sequence of
// writes leaves behind as the system reads it back.
//
// Wine's profile code is held to Windows by Wine's own conformance tests;
// where those tests mark Wine as wrong, our module follows Windows and the
// case below says so instead of comparing.
#include <windows.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/TextEncoding.h"
#include "storage/IniFile.h"

namespace tav::test {
namespace {

using Strings = std::vector<std::string>;
constexpr wchar_t kMissing[] = L"\x01";

std::wstring Wide(const std::string& utf8) {
  const std::u16string units = Utf8ToUtf16(utf8);
  return std::wstring(units.begin(), units.end());
}

std::string Narrow(std::wstring_view wide) {
  return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

// A buffer of NUL-separated names as the profile functions return them. An
// empty name cannot be told from the list's end by a caller, so it is left
// out, as our module leaves it out. (When the first key of a section has an
// empty name, the system's list of its keys is empty altogether; the corpus
// keeps such a key after others.)
Strings SplitNames(const std::wstring& buffer, DWORD length) {
  Strings names;
  size_t start = 0;
  for (size_t i = 0; i < length; ++i) {
    if (buffer[i] != L'\0') continue;
    if (i > start) names.push_back(Narrow(std::wstring_view(buffer).substr(start, i - start)));
    start = i + 1;
  }
  return names;
}

// The system's profile functions on one file.
class SystemProfile {
 public:
  explicit SystemProfile(std::wstring path) : path_(std::move(path)) {}

  Strings SectionNames() const {
    std::wstring buffer(1 << 16, L'\0');
    const DWORD length = GetPrivateProfileSectionNamesW(buffer.data(), 1 << 16, path_.c_str());
    return SplitNames(buffer, length);
  }
  Strings KeyNames(const std::string& section) const {
    std::wstring buffer(1 << 16, L'\0');
    const DWORD length = GetPrivateProfileStringW(Wide(section).c_str(), nullptr, L"",
                                                  buffer.data(), 1 << 16, path_.c_str());
    return SplitNames(buffer, length);
  }
  std::optional<std::string> Find(const std::string& section, const std::string& key) const {
    std::wstring buffer(1 << 16, L'\0');
    const DWORD length = GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(),
                                                  kMissing, buffer.data(), 1 << 16, path_.c_str());
    buffer.resize(length);
    if (buffer == kMissing) return std::nullopt;
    return Narrow(buffer);
  }
  bool Write(const std::string& section, const std::string& key, const std::string& value) const {
    return WritePrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), Wide(value).c_str(),
                                      path_.c_str()) != 0;
  }
  bool Erase(const std::string& section) const {
    return WritePrivateProfileStringW(Wide(section).c_str(), nullptr, nullptr, path_.c_str()) != 0;
  }

 private:
  std::wstring path_;
};

// Everything a reader sees: sections in order, the keys of each, their values.
template <typename Reader>
std::string Dump(const Reader& reader) {
  std::string dump;
  for (const std::string& section : reader.SectionNames()) {
    dump += "[" + section + "]\n";
    for (const std::string& key : reader.KeyNames(section))
      dump += "  " + key + " = " + reader.Find(section, key).value_or("<missing>") + "\n";
  }
  return dump;
}

// What one step of a write sequence does.
struct Change {
  std::string section, key, value;
  bool erase = false;
};

struct Case {
  std::string name;
  std::string bytes;
  std::vector<std::pair<std::string, std::string>> probes;  // (section, key) lookups
  std::vector<Change> changes;
};

// --- The corpus -----------------------------------------------------------

std::string Bom(int encoding) {
  return encoding == 1 ? "\xEF\xBB\xBF" : encoding == 2 ? "\xFF\xFE" : "";
}

// UTF-8 text as the bytes of one of the three encodings a profile file has.
std::string Encode(const std::string& utf8, int encoding) {
  if (encoding == 0) return Utf8ToCp936(utf8);
  if (encoding == 1) return Bom(1) + utf8;
  std::string bytes = Bom(2);
  for (char16_t unit : Utf8ToUtf16(utf8))
    bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
  return bytes;
}

std::string JoinLines(const Strings& lines, const std::string& end) {
  std::string text;
  for (const std::string& line : lines) text += line + end;
  return text;
}

const std::vector<Change> kCommonChanges = {
    {"System", "密码", "0cc175b9c0f1b6a831c399e269772661"},
    {"sort", "工作", "0"},
    {"SORT", "Games", "0"},
    {"新节", "键", "值 with blanks  "},
    {"a", "dup", "\"quoted\""},
    {"Sort", "", "", true},
    {"Sort", "后来", ""},
    {"3+65", "执行操作", "notepad.exe"},
    {"a", "bare", "now with a value"},
    {"C", "X", "1"},
};

// Hand-written files, each in every line end and encoding.
std::vector<Case> HandWrittenCases() {
  const struct {
    const char* name;
    Strings lines;
  } kFiles[] = {
      {"settings", {"[System]", "密码=abc", "[Sort]", "工作=0", "娱乐=0", "Games=0"}},
      {"comments and blanks",
       {"; 设置", "", "[Sort]", ";工作=0", "  # not a comment=1", "", "娱乐=0", "   ", "[System]"}},
      {"keys without =", {"[a]", "bare", "k=1", "[b", "after=2", "[c]", "y=0", "=novalue", "x"}},
      {"duplicates in other case",
       {"[Sort]", "a=1", "A=2", "b=3", "[sort]", "c=4", "[SORT]", "a=5", "[a]", "dup=1", "DUP=2"}},
      {"headers with extras",
       {"[x]=y", "k=1", "[a]b] tail", "m=2", " [ spaced ] ", "n=3", "[;c]", "o=5"}},
      {"quotes",
       {"[q]", "a=\"v\"", "b='v'", "c=\"v'", "d=\"", "e=\"\"", "f= \" v \" ", "g='", "h=\"a\"b\""}},
      {"blanks",
       {"  [ s ]  ", "\tk \t=\t v \t", "m=", "n =   ", "  p  =  q  r  ", "　全角　=　值　",
        "[　宽　]", "k=1"}},
      {"chinese names and values",
       {"[类别]", "工作=0", "娱乐 游戏=0", "[系统]", "密码=口令",
        "提示=按下 Ctrl+Alt+N 打开记事本"}},
      {"case folding", {"[ΑΒΓ]", "Ｋｅｙ=1", "Ключ=2", "[abc]", "KEY=3"}},
      {"legacy scheme",
       {"[3+65]", "执行操作=notepad.exe", "提示=记事本", "类别=工具", "[6+66]", "执行操作=calc.exe",
        "[7+67]", "提示=只有提示", "[1+112]", "类别=系统", "执行操作=$$/注释"}},
      {"comment keys", {"[a]", ";c=1", "; d = 2", "k=3"}},
      {"keys before any header", {"k=0", "m=1", "[a]", "k=2"}},
      {"long line", {"[a]", "k=" + std::string(5000, 'x'), "m=" + std::string(3000, 'y') + "=z"}},
      {"no final line end", {"[a]", "k=1", "[b]", "m=2"}},
  };
  const struct {
    const char* name;
    const char* end;
  } kEnds[] = {{"CR LF", "\r\n"}, {"LF", "\n"}, {"CR", "\r"}, {"LF CR", "\n\r"}};
  const char* kEncodings[] = {"GB2312", "UTF-8 BOM", "UTF-16LE BOM"};

  std::vector<Case> cases;
  for (const auto& file : kFiles) {
    for (const auto& end : kEnds) {
      for (int encoding = 0; encoding < 3; ++encoding) {
        std::string text = JoinLines(file.lines, end.end);
        if (std::string_view(file.name) == "no final line end") text.resize(text.size() - 1);
        Case c{std::string(file.name) + ", " + end.name + ", " + kEncodings[encoding],
               Encode(text, encoding),
               {{"a", ";c"},
                {"a", "bare"},
                {"a", "x"},
                {"Sort", "a"},
                {"q", "h"},
                {"αβγ", "ｋＥｙ"},
                {"αβγ", "КЛЮЧ"},
                {"ΑΒΓ", "Ｋｅｙ"},
                {"ΑΒΓ", "ключ"},
                {"ABC", "key"}},
               kCommonChanges};
        cases.push_back(std::move(c));
      }
    }
  }
  return cases;
}

std::string ManySections(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i)
    text += "[2+" + std::to_string(i) + "]\r\n执行操作=程序" + std::to_string(i) + "\r\n";
  return Utf8ToCp936(text);
}

// Byte-level oddities that no text editor makes but damaged files hold.
std::vector<Case> ByteLevelCases() {
  using namespace std::string_literals;
  const std::string password = Utf8ToCp936("密码");
  return {
      {"bad byte in the password line",
       "[System]\r\n" + password + "=abc\x81\r\n[Sort]\r\na=0\r\n",
       {{"System", "密码"}},
       kCommonChanges},
      {"bad byte in a header",
       "[a]\r\nk=1\r\n[Sort\xFF]\r\nk=2\r\n[Sort]\r\nm=3\r\n",
       {},
       kCommonChanges},
      {"lone lead byte at the end", "[a]\r\nk=1\x81", {}, kCommonChanges},
      {"byte 0x80", "[a]\r\nk=\x80\r\n", {}, kCommonChanges},
      {"Ctrl-Z as a blank", "\x1A[a]\x1A\r\n\x1Ak\x1A=\x1A v\x1A\r\n\x1A\r\n", {}, kCommonChanges},
      {"Ctrl-Z at the end of the file", "[a]\r\nk=1\r\n\x1A", {}, kCommonChanges},
      {"CR CR LF", "[a]\r\r\nk=1\r\r\n[b]\r\r\nm=2\r\r\n", {}, kCommonChanges},
      {"NUL inside a header",
       "[a]\r\nk=1\r\n[b\0c]\r\nn=3\r\n"s,
       {{"b", "n"}, {"a", "n"}},
       kCommonChanges},
      {"150 legacy sections", ManySections(150), {{"2+150", "执行操作"}}, kCommonChanges},
  };
}

// Files where Windows and Wine are known to differ: our module follows
// Windows, so the system under Wine is not compared. Each says why.
struct KnownDifference {
  Case file;
  std::string reason;
};

std::vector<KnownDifference> KnownDifferences() {
  using namespace std::string_literals;
  return {
      {{"keys before the first header", "k=before\r\n[]\r\nk=empty-section\r\n", {{"", "k"}}, {}},
       "Windows reads section \"\" from the \"[]\" header and keys before the first header "
       "belong to no section; Wine reads those keys as section \"\" (Wine's conformance test "
       "test_profile_string, marked todo_wine). Wine's writer also drops a \"[]\" header "
       "when it saves, moving that section's keys into the section above, so files with one "
       "are left out of the write comparisons"},
      {{"NUL inside lines", "[a]\r\nk=1\0tail\r\nm\0=2\r\n[b\0]\r\nn=3\r\n"s, {{"a", "m"}}, {}},
       "Windows ends a line's text at a NUL; Wine reads on after it, so \"m\\0=2\" is a key "
       "m of value 2 under Wine and a line without \"=\" on Windows (Wine's conformance test "
       "test_WritePrivateProfileString shows the two treat NULs differently, todo_wine)"},
  };
}

// Sections are erased by their exact name: Wine compares the name of a
// section to erase without dropping blanks around it, unlike every other
// lookup, and nothing of ours erases such a name.
std::string Trimmed(std::string name) {
  while (!name.empty() && name.front() == ' ') name.erase(0, 1);
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}

// Random files from fragments that each stress one rule.
std::vector<Case> RandomCases(int count) {
  const std::vector<std::string> kSections = {"a",    "A",    "Sort", "sort", "System",
                                              "类别", "3+65", " b ",  "Ａ",   "x]y"};
  const std::vector<std::string> kKeys = {"k",        "K",   "工作", "Games", ";c",  "密码",
                                          "执行操作", "a b", "[k",   "x]",    "提示"};
  const std::vector<std::string> kValues = {"",    "1",  "\"q\"", "'q'", "\"q'",
                                            " v ", "值", "a=b",   "[c]", "\""};
  const std::vector<std::string> kEnds = {"\r\n", "\n", "\r", "\r\r\n"};
  std::mt19937 random(20261208);
  const auto pick = [&](const std::vector<std::string>& from) {
    return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(random)];
  };
  std::vector<Case> cases;
  for (int n = 0; n < count; ++n) {
    std::string text;
    const int lineCount = std::uniform_int_distribution<int>(1, 14)(random);
    for (int i = 0; i < lineCount; ++i) {
      switch (std::uniform_int_distribution<int>(0, 9)(random)) {
        case 0:
        case 1:
          text.append("[").append(pick(kSections)).append("]");
          break;
        case 2:
          text.append("[").append(pick(kSections)).append("]=").append(pick(kValues));
          break;
        case 3:
          text += pick(kKeys);
          break;
        case 4:
          text.append("; ").append(pick(kKeys)).append("=").append(pick(kValues));
          break;
        case 5:
          text += "  ";
          break;
        default:
          text.append(pick(kKeys)).append(random() % 2 ? " = " : "=").append(pick(kValues));
      }
      text += pick(kEnds);
    }
    std::vector<Change> changes;
    for (int i = 0; i < 4; ++i) {
      if (random() % 5 == 0)
        changes.push_back({Trimmed(pick(kSections)), "", "", true});
      else
        changes.push_back({pick(kSections), pick(kKeys), pick(kValues)});
    }
    cases.push_back({"random " + std::to_string(n),
                     Encode(text, static_cast<int>(random() % 3)),
                     {{pick(kSections), pick(kKeys)}},
                     changes});
  }
  return cases;
}

// --- The comparisons ------------------------------------------------------

class ProfileDifferentialTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The system reads files without a byte order mark in the ANSI code page.
    ASSERT_EQ(GetACP(), 936u) << "run with LANG=zh_CN.UTF-8 (scripts/wine-env.sh)";
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    directory_ = Narrow(temp) + "tav-profile-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryW(Wide(directory_).c_str(), nullptr);
  }
  void TearDown() override {
    for (const std::string& path : created_) DeleteFileW(Wide(path).c_str());
    RemoveDirectoryW(Wide(directory_).c_str());
  }

  // Each file gets a name of its own: the system may cache a file it has
  // just read, keyed by name and time.
  std::string NewFile(const std::string& bytes) {
    const std::string path = directory_ + std::to_string(created_.size()) + ".ini";
    WriteFileAtomically(path, bytes);
    created_.push_back(path);
    return path;
  }

  void CompareReading(const Case& c) {
    const IniDocument ours = IniDocument::Parse(c.bytes);
    const SystemProfile system(Wide(NewFile(c.bytes)));
    EXPECT_EQ(Dump(ours), Dump(system)) << c.name;
    for (const auto& [section, key] : c.probes)
      EXPECT_EQ(ours.Find(section, key), system.Find(section, key))
          << c.name << ": [" << section << "] " << key;
  }

  // The same changes through our module and through the system's functions,
  // each result read back by the system.
  void CompareWriting(const Case& c) {
    IniDocument ours = IniDocument::Parse(c.bytes);
    const SystemProfile system(Wide(NewFile(c.bytes)));
    std::string applied;
    for (const Change& change : c.changes) {
      if (change.erase) {
        ours.EraseSection(change.section);
        ASSERT_TRUE(system.Erase(change.section)) << c.name;
        applied += "erase [" + change.section + "]; ";
        continue;
      }
      try {
        ours.WriteString(change.section, change.key, change.value);
      } catch (const Error&) {
        // Refused by our writer (a name that would not read back, an empty
        // section name): the system would write a broken line. Not compared.
        continue;
      }
      // The system writes a value as it is given and reads it back without
      // its blanks and quotes; ours keeps them by writing them in quotes.
      // Given that text, the system must leave the same file behind.
      ASSERT_TRUE(system.Write(change.section, change.key, IniValueAsWritten(change.value)))
          << c.name;
      EXPECT_EQ(ours.Find(change.section, change.key), change.value)
          << c.name << ": [" << change.section << "] " << change.key;
      applied += "[" + change.section + "] " + change.key + "=" + change.value + "; ";
    }
    const SystemProfile oursReadBack(Wide(NewFile(ours.ToBytes())));
    EXPECT_EQ(Dump(oursReadBack), Dump(system))
        << c.name << " after " << applied << "\nfile: " << testing::PrintToString(c.bytes);
    EXPECT_EQ(Dump(IniDocument::Parse(ours.ToBytes())), Dump(oursReadBack)) << c.name;
  }

  std::string directory_;
  Strings created_;
};

TEST_F(ProfileDifferentialTest, HandWrittenFilesReadAndWriteAlike) {
  for (const Case& c : HandWrittenCases()) {
    CompareReading(c);
    CompareWriting(c);
  }
}

TEST_F(ProfileDifferentialTest, DamagedBytesReadAndWriteAlike) {
  for (const Case& c : ByteLevelCases()) {
    CompareReading(c);
    CompareWriting(c);
  }
}

TEST_F(ProfileDifferentialTest, RandomFilesReadAndWriteAlike) {
  for (const Case& c : RandomCases(400)) {
    CompareReading(c);
    CompareWriting(c);
  }
}

TEST_F(ProfileDifferentialTest, DuplicatedSectionsReadAsTheFirstAndReplaceWhole) {
  // The system lists and reads the keys of the first section of a name only;
  // a later one of that name is listed as a section but never read.
  const std::string bytes = "[Sort]\r\na=0\r\n[x]\r\ny=1\r\n[sort]\r\nb=0\r\na=2\r\n";
  IniDocument ours = IniDocument::Parse(bytes);
  const SystemProfile system(Wide(NewFile(bytes)));
  EXPECT_EQ(system.KeyNames("Sort"), Strings{"a"});
  EXPECT_EQ(system.Find("Sort", "b"), std::nullopt);
  EXPECT_EQ(system.Find("SORT", "a"), "0");
  EXPECT_EQ(ours.KeyNames("Sort"), system.KeyNames("Sort"));
  EXPECT_EQ(ours.Find("Sort", "b"), std::nullopt);
  EXPECT_EQ(Dump(ours), Dump(system));

  // A replaced section reads, to the system too, as the entries written.
  ours.ReplaceSection("Sort", {{"c", " 0 "}, {"a", "\"1\""}});
  const SystemProfile replaced(Wide(NewFile(ours.ToBytes())));
  EXPECT_EQ(replaced.KeyNames("Sort"), (Strings{"c", "a"}));
  EXPECT_EQ(replaced.Find("Sort", "c"), " 0 ");
  EXPECT_EQ(replaced.Find("Sort", "a"), "\"1\"");
  EXPECT_EQ(replaced.SectionNames(), (Strings{"x", "Sort"}));
}

TEST_F(ProfileDifferentialTest, KnownDifferencesOfWineStillDiffer) {
  // Kept honest: should Wine come to agree with Windows (or our module stop
  // following Windows), the case moves to the compared ones.
  for (const KnownDifference& known : KnownDifferences()) {
    const IniDocument ours = IniDocument::Parse(known.file.bytes);
    const SystemProfile system(Wide(NewFile(known.file.bytes)));
    bool differs = Dump(ours) != Dump(system);
    for (const auto& [section, key] : known.file.probes)
      differs = differs || ours.Find(section, key) != system.Find(section, key);
    EXPECT_TRUE(differs) << known.file.name << ": " << known.reason;
  }
}

}  // namespace
}  // namespace tav::test
