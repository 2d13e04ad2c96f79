// Entries that know which program is in front, and entries switched off:
// matching a condition, which conditions can share a combination, how both
// are stored (and hidden from readers by position), and how the hotkey
// service registers and releases combinations as the window in front and
// the full-screen state change.
#include "storage/EntryCondition.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "actions/TextCipher.h"
#include "app/HotkeyService.h"
#include "app/ListFilter.h"
#include "app/PassThrough.h"
#include "base/AtomicFile.h"
#include "base/TextEncoding.h"
#include "dialogs/model/EntryEditing.h"
#include "dialogs/model/SetPassword.h"
#include "platform/RecordingPlatform.h"
#include "storage/SchemeFile.h"
#include "tests/unit/ActionTestSupport.h"

namespace tav {
namespace {

using ::testing::ElementsAre;

constexpr auto kOnly = ConditionMode::kOnlyIn;
constexpr auto kExcept = ConditionMode::kExceptIn;
constexpr auto kOff = ConditionMode::kOff;

// --- Matching ----------------------------------------------------------------

TEST(EntryConditionTest, HoldsForTheProgramsAndTitleItNames) {
  struct Case {
    EntryCondition condition;
    ForegroundInfo front;
    bool holds;
  };
  const Case cases[] = {
      {{kOff, "notepad.exe", ""}, {"calc.exe", ""}, true},
      {{kOnly, "notepad.exe; WINWORD.EXE", ""}, {"Notepad.EXE", "a"}, true},
      {{kOnly, "notepad.exe; WINWORD.EXE", ""}, {"C:\\Office\\winword.exe", ""}, true},
      {{kOnly, "notepad.exe; WINWORD.EXE", ""}, {"notepad2.exe", ""}, false},
      {{kOnly, " notepad.exe ,, calc.exe;", ""}, {"calc.exe", ""}, true},
      {{kOnly, "notepad.exe", "Report"}, {"notepad.exe", "my report.txt - 记事本"}, true},
      {{kOnly, "notepad.exe", "Report"}, {"notepad.exe", "无标题 - 记事本"}, false},
      {{kOnly, "", "记事本"}, {"anything.exe", "无标题 - 记事本"}, true},  // title alone
      {{kOnly, " ; ", "  "}, {"calc.exe", ""}, true},  // nothing named: no condition
      {{kExcept, "notepad.exe", ""}, {"NOTEPAD.exe", ""}, false},
      {{kExcept, "notepad.exe", ""}, {"calc.exe", ""}, true},
      {{kExcept, "notepad.exe", "secret"}, {"notepad.exe", "public"}, true},
      {{kOnly, "notepad.exe", ""}, {"", ""}, false},  // nothing in front
      {{kExcept, "notepad.exe", ""}, {"", ""}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.condition.programs + " | " + c.condition.title + " / " + c.front.executable +
                 " | " + c.front.title);
    EXPECT_EQ(ConditionHolds(c.condition, c.front), c.holds);
  }
}

TEST(EntryConditionTest, ProgramListsAreSplitTrimmedAndDeduplicated) {
  EXPECT_THAT(ProgramNames(" a.exe; B.EXE ;a.EXE,c.exe;; "),
              ElementsAre("a.exe", "B.EXE", "c.exe"));
  EXPECT_EQ(JoinProgramNames(ProgramNames("a.exe;b.exe")), "a.exe; b.exe");
}

TEST(EntryConditionTest, ConditionsShareACombinationOnlyWhenTheyExcludeEachOther) {
  struct Case {
    EntryCondition a;
    EntryCondition b;
    bool bothCanHold;
  };
  const Case cases[] = {
      {{kOff, "", ""}, {kOnly, "notepad.exe", ""}, true},
      {{kOnly, "notepad.exe", ""}, {kExcept, "NOTEPAD.EXE", ""}, false},
      {{kExcept, "notepad.exe", ""}, {kOnly, "notepad.exe", ""}, false},  // either order
      {{kOnly, "notepad.exe", ""}, {kOnly, "calc.exe", ""}, false},
      {{kOnly, "notepad.exe; calc.exe", ""}, {kOnly, "CALC.exe", ""}, true},
      {{kOnly, "notepad.exe", "a"}, {kOnly, "notepad.exe", "b"}, true},  // title "a b"
      {{kOnly, "", "x"}, {kOnly, "calc.exe", ""}, true},
      {{kOnly, "notepad.exe; calc.exe", ""}, {kExcept, "notepad.exe", ""}, true},
      {{kOnly, "notepad.exe", ""}, {kExcept, "notepad.exe; calc.exe", ""}, false},
      {{kOnly, "notepad.exe", "Report 1"}, {kExcept, "notepad.exe", "report"}, false},
      {{kOnly, "notepad.exe", ""}, {kExcept, "notepad.exe", "report"}, true},
      {{kOnly, "", "report"}, {kExcept, "notepad.exe", ""}, true},
      {{kOnly, "notepad.exe", ""}, {kExcept, "", ""}, true},  // an empty except is none
      {{kExcept, "notepad.exe", ""}, {kExcept, "calc.exe", ""}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a.programs + "|" + c.a.title + " vs " + c.b.programs + "|" + c.b.title);
    EXPECT_EQ(ConditionsCanBothHold(c.a, c.b), c.bothCanHold);
    EXPECT_EQ(ConditionsCanBothHold(c.b, c.a), c.bothCanHold);
  }
}

// --- Storage -----------------------------------------------------------------

// The main window as the editor sees it, for a scheme at `path`.
class FakeHostForConditions : public EntryEditorHost {
 public:
  FakeHostForConditions(std::string path, std::string password)
      : path_(std::move(path)), password_(std::move(password)) {}
  std::string ActiveSchemePath() const override { return path_; }
  bool SchemeIsProtected() const override { return !password_.empty(); }
  std::string RememberedPassword() const override { return password_; }
  bool HotkeysPaused() const override { return false; }
  void ResetAndLoad() override {}
  void OpenScheme(const std::string&) override { ++reloads; }
  void ResetSortState() override {}
  const EntryTable& Slots() const override { return slots_; }

  int reloads = 0;

 private:
  std::string path_;
  std::string password_;
  EntryTable slots_{};
};

class ConditionStorageTest : public ::testing::Test {
 protected:
  test::TempFolder folder_;
  std::string path_ = folder_.PathOf("hotkey.xml");
};

TEST_F(ConditionStorageTest, OptionsAreAttributesThatOnlyDifferingEntriesCarry) {
  SchemeDocument document;
  document.LoadTemplate();
  document.AppendEntry({"2+65", "a", "", ""});
  document.AppendEntry({"2+66", "b", "", ""}, {false, {}});
  document.AppendEntry({"2+67", "c", "", ""}, {true, {kOnly, "notepad.exe; 写字板.exe", "报告"}});
  document.AppendEntry({"2+68", "d", "", ""}, {true, {kExcept, "calc.exe", ""}});
  document.AppendEntry({"2+69", "e", "", ""}, {true, {kOff, "ignored.exe", "x"}});
  document.Save(path_);
  const std::string expected =
      "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<velmora>\r\n\t<set>\r\n"
      "\t\t<password />\r\n\t</set>\r\n\t<hotkeylist>\r\n"
      "\t\t<hotkeyset>\r\n\t\t\t<hotkey>2+65</hotkey>\r\n\t\t\t<action>a</action>\r\n"
      "\t\t\t<hint />\r\n\t\t\t<sort />\r\n\t\t</hotkeyset>\r\n"
      "\t\t<hotkeyset enabled=\"0\">\r\n\t\t\t<hotkey>2+66</hotkey>\r\n\t\t\t<action>b</action>\r\n"
      "\t\t\t<hint />\r\n\t\t\t<sort />\r\n\t\t</hotkeyset>\r\n"
      "\t\t<hotkeyset when=\"only\" programs=\"notepad.exe; 写字板.exe\" title=\"报告\">\r\n"
      "\t\t\t<hotkey>2+67</hotkey>\r\n\t\t\t<action>c</action>\r\n"
      "\t\t\t<hint />\r\n\t\t\t<sort />\r\n\t\t</hotkeyset>\r\n"
      "\t\t<hotkeyset when=\"except\" programs=\"calc.exe\">\r\n"
      "\t\t\t<hotkey>2+68</hotkey>\r\n\t\t\t<action>d</action>\r\n"
      "\t\t\t<hint />\r\n\t\t\t<sort />\r\n\t\t</hotkeyset>\r\n"
      "\t\t<hotkeyset>\r\n\t\t\t<hotkey>2+69</hotkey>\r\n\t\t\t<action>e</action>\r\n"
      "\t\t\t<hint />\r\n\t\t\t<sort />\r\n\t\t</hotkeyset>\r\n"
      "\t</hotkeylist>\r\n</velmora>\r\n";
  EXPECT_EQ(ReadWholeFile(path_), Utf8ToCp936(expected));

  // Read back: the texts by position as before, the options beside them; a
  // save of what was read is the same file.
  SchemeDocument reread;
  reread.Load(path_);
  EXPECT_EQ(reread.Entry(2), (SchemeEntry{"2+67", "c", "", ""}));
  EXPECT_EQ(reread.Options(1), (EntryOptions{false, {}}));
  EXPECT_EQ(reread.Options(2), (EntryOptions{true, {kOnly, "notepad.exe; 写字板.exe", "报告"}}));
  EXPECT_EQ(reread.Options(3), (EntryOptions{true, {kExcept, "calc.exe", ""}}));
  EXPECT_EQ(reread.ToBytes(), ReadWholeFile(path_));

  // Options set back to the defaults leave today's file.
  for (int i = 0; i < 5; ++i) reread.SetOptions(i, {});
  SchemeDocument plain;
  plain.LoadTemplate();
  for (char c = 'a'; c <= 'e'; ++c)
    plain.AppendEntry({"2+" + std::to_string(65 + (c - 'a')), std::string(1, c), "", ""});
  EXPECT_EQ(reread.ToBytes(), plain.ToBytes());
}

TEST_F(ConditionStorageTest, UnknownModesAndLineBreaksReadAsHarmless) {
  const std::string xml =
      "<?xml version=\"1.0\" encoding=\"GB2312\"?><velmora><set><password/></set><hotkeylist>"
      "<hotkeyset when=\"sometimes\" programs=\"a.exe\" enabled=\"yes\"><hotkey>2+65</hotkey>"
      "<action>a</action><hint/><sort/></hotkeyset></hotkeylist></velmora>";
  SchemeDocument document;
  document.LoadBytes(xml, "x.xml");
  EXPECT_EQ(document.Options(0), EntryOptions{});  // "yes" is not "0"
  document.SetOptions(0, {true, {kOnly, "a.exe\r\nb.exe", "t\tu"}});
  EXPECT_EQ(document.Options(0).condition.programs, "a.exe  b.exe");
  EXPECT_EQ(document.Options(0).condition.title, "t u");
}

TEST_F(ConditionStorageTest, ProtectedSchemesEncryptProgramsAndTitleEverywhere) {
  const std::string password = "口令";
  FakeHostForConditions host{path_, password};
  WriteSchemeTemplate(path_);
  SchemeDocument document;
  document.Load(path_);
  document.SetPassword(DigestText(password));
  document.Save(path_);

  RecordingPlatform platform;
  EntryInput input{{2, 65}, "notepad.exe", "", ""};
  input.condition = {kOnly, "notepad.exe;calc.exe", "报告"};
  input.enabled = false;
  ASSERT_TRUE(AppendEntry(platform, host, input));

  document.Load(path_);
  const EntryOptions stored = document.Options(0);
  EXPECT_FALSE(stored.enabled);
  EXPECT_EQ(stored.condition.mode, kOnly);
  EXPECT_EQ(DecryptText(password, stored.condition.programs), "notepad.exe; calc.exe");
  EXPECT_EQ(DecryptText(password, stored.condition.title), "报告");
  EXPECT_EQ(ReadWholeFile(path_).find("notepad.exe; calc.exe"), std::string::npos);

  EntryTable table{};
  std::vector<HotkeyListItem> items;
  LoadEntries(
      path_, [&](const std::string& t) { return DecryptText(password, t); }, table, items);
  EXPECT_EQ(table[0].condition, (EntryCondition{kOnly, "notepad.exe; calc.exe", "报告"}));
  EXPECT_FALSE(table[0].enabled);
  EXPECT_FALSE(items[0].enabled);

  // Removing the password decrypts the condition with the other texts;
  // setting another encrypts it under the new one.
  SchemePasswordState state{path_, true, password};
  ASSERT_EQ(ApplySchemePassword(platform, "", "", state), SetPasswordOutcome::kSaved);
  document.Load(path_);
  EXPECT_EQ(document.Options(0).condition.programs, "notepad.exe; calc.exe");
  ASSERT_EQ(ApplySchemePassword(platform, "新", "新", state), SetPasswordOutcome::kSaved);
  document.Load(path_);
  EXPECT_EQ(DecryptText("新", document.Options(0).condition.title), "报告");
}

TEST_F(ConditionStorageTest, SwitchingAnEntryOffAndOnRewritesOnlyItsMark) {
  WriteSchemeTemplate(path_);
  SchemeDocument document;
  document.Load(path_);
  document.AppendEntry({"2+65", "a", "h", "c"});
  document.Save(path_);
  const std::string before = ReadWholeFile(path_);
  FakeHostForConditions host{path_, ""};
  RecordingPlatform platform;
  const EntryUnderChange entry{path_, 0, {2, 65, "a", "h", "c"}};

  ASSERT_TRUE(SetEntryEnabled(platform, host, entry, false));
  EXPECT_NE(ReadWholeFile(path_).find("<hotkeyset enabled=\"0\">"), std::string::npos);
  ASSERT_TRUE(SetEntryEnabled(platform, host, entry, true));
  EXPECT_EQ(ReadWholeFile(path_), before);
  EXPECT_EQ(host.reloads, 2);

  // An entry changed behind the list's back is left alone.
  EXPECT_FALSE(SetEntryEnabled(platform, host, {path_, 0, {2, 66, "a", "h", "c"}}, false));
  EXPECT_EQ(ReadWholeFile(path_), before);
  EXPECT_EQ(platform.CallsStartingWith("MessageBox").size(), 1u);
}

// --- Clash notice ------------------------------------------------------------

TEST(ConditionClashTest, TheNoticeNamesOnlyEntriesThatCouldFireTogether) {
  EntryTable slots{};
  slots[0] = {2, 65, "a.exe", "仅记事本", ""};
  slots[0].condition = {kOnly, "notepad.exe", ""};
  slots[1] = {2, 66, "b.exe", "关掉的", ""};
  slots[1].enabled = false;
  RecordingPlatform platform;
  struct Case {
    HotkeyCode code;
    EntryCondition condition;
    const char* notice;
  };
  const Case cases[] = {
      {{2, 65}, {}, "该热键已被“仅记事本”使用"},
      {{2, 65}, {kOnly, "calc.exe", ""}, ""},
      {{2, 65}, {kExcept, "Notepad.exe", ""}, ""},
      {{2, 65}, {kExcept, "calc.exe", ""}, "该热键已被“仅记事本”使用"},
      {{2, 66}, {}, ""},  // switched off: free
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.condition.programs);
    EXPECT_EQ(ClashNotice(platform, slots, -1, c.code, c.condition), c.notice);
  }
}

// --- Hotkey service ----------------------------------------------------------

class ConditionServiceTest : public ::testing::Test {
 protected:
  void SetSlot(int slot, int key, const std::string& action, EntryCondition condition = {},
               bool enabled = true) {
    service_.slots()[slot] = {2, key, action, "", ""};
    service_.slots()[slot].condition = std::move(condition);
    service_.slots()[slot].enabled = enabled;
  }
  // The keys of the combinations registered now.
  std::vector<unsigned> RegisteredKeys() const {
    std::vector<unsigned> keys;
    for (const auto& [id, combination] : platform_.Registrations())
      keys.push_back(combination.second);
    std::sort(keys.begin(), keys.end());
    return keys;
  }

  RecordingPlatform platform_;
  HotkeyService service_{platform_};
};

TEST_F(ConditionServiceTest, RegistrationsFollowTheWindowInFront) {
  SetSlot(0, 65, "always");
  SetSlot(1, 66, "only notepad", {kOnly, "notepad.exe", ""});
  SetSlot(2, 67, "not in notepad", {kExcept, "notepad.exe", ""});
  SetSlot(3, 68, "off", {}, false);
  SetSlot(4, 69, "titled", {kOnly, "", "Report"});
  service_.SetForeground({"calc.exe", "计算器"});
  service_.RegisterAll();
  EXPECT_THAT(RegisteredKeys(), ElementsAre(65, 67));
  EXPECT_TRUE(service_.WatchesTitles());

  const size_t callsBefore = platform_.Calls().size();
  service_.SetForeground({"NOTEPAD.EXE", "report.txt"});
  EXPECT_THAT(RegisteredKeys(), ElementsAre(65, 66, 69));
  // The unconditioned entry's registration was never touched.
  for (size_t i = callsBefore; i < platform_.Calls().size(); ++i)
    EXPECT_THAT(platform_.Calls()[i], ::testing::Not(::testing::HasSubstr(",2,65)")));
  EXPECT_EQ(service_.FiringSlot(2, 66), 1);
  EXPECT_EQ(service_.FiringSlot(2, 67), -1) << "released: the keystroke is not ours";
  EXPECT_EQ(service_.FiringSlot(2, 68), -1);
}

TEST_F(ConditionServiceTest, ExclusiveEntriesShareOneCombination) {
  SetSlot(0, 70, "in notepad", {kOnly, "notepad.exe", ""});
  SetSlot(1, 70, "elsewhere", {kExcept, "notepad.exe", ""});
  service_.SetForeground({"notepad.exe", ""});
  service_.RegisterAll();
  EXPECT_EQ(service_.FiringSlot(2, 70), 0);
  service_.SetForeground({"calc.exe", ""});
  EXPECT_EQ(service_.FiringSlot(2, 70), 1);
  EXPECT_FALSE(service_.IsRefused(1));
  EXPECT_EQ(platform_.Registrations().size(), 1u);
}

TEST_F(ConditionServiceTest, QuietPauseAndSuspensionKeepTheirHotkeys) {
  SetSlot(0, 65, "always");
  SetSlot(1, 80, kPauseAction);
  SetSlot(2, 66, "only notepad", {kOnly, "notepad.exe", ""});
  service_.RegisterAll();
  service_.SetQuiet(true);
  EXPECT_THAT(RegisteredKeys(), ElementsAre(80)) << "quiet: only the pause hotkey";
  service_.SetForeground({"notepad.exe", ""});
  EXPECT_THAT(RegisteredKeys(), ElementsAre(80));
  service_.SetQuiet(false);
  EXPECT_THAT(RegisteredKeys(), ElementsAre(65, 66, 80));

  // Paused: a change in front brings nothing back but the pause hotkey.
  service_.UnregisterHotkeys(false);
  service_.set_paused(true);
  service_.SetForeground({"calc.exe", ""});
  service_.SetForeground({"notepad.exe", ""});
  EXPECT_THAT(RegisteredKeys(), ElementsAre(80));
  service_.set_paused(false);

  // A paste holds every hotkey off until it registers them again.
  service_.RegisterAll();
  service_.UnregisterHotkeys(true);
  service_.SetForeground({"calc.exe", ""});
  EXPECT_TRUE(RegisteredKeys().empty());
  service_.RegisterAll();
  EXPECT_THAT(RegisteredKeys(), ElementsAre(65, 80));
}

TEST(PassThroughTest, SendsWhatTheUserNoLongerHoldsAndLeavesNothingDown) {
  constexpr uint8_t kCtrl = 0x11, kAlt = 0x12, kShift = 0x10, kA = 0x41;
  struct Case {
    unsigned modifiers;
    std::vector<uint8_t> held;
    std::vector<KeyStroke> strokes;
  };
  const Case cases[] = {
      // Ctrl and A still down: the program already has Ctrl; A comes again.
      {2, {kCtrl, kA}, {{kA, false}}},
      // All released: the whole combination, pressed and released.
      {3,
       {},
       {{kCtrl, false}, {kAlt, false}, {kA, false}, {kA, true}, {kAlt, true}, {kCtrl, true}}},
      // Shift let go, Ctrl held, A released.
      {6, {kCtrl}, {{kShift, false}, {kA, false}, {kA, true}, {kShift, true}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.modifiers);
    const auto held = [&](uint8_t key) {
      return std::find(c.held.begin(), c.held.end(), key) != c.held.end();
    };
    EXPECT_EQ(PassThroughStrokes(c.modifiers, kA, held), c.strokes);
  }
}

TEST(ListFilterTest, RowsStayWhenAnyOfTheirFourTextsContainsTheFilter) {
  const HotkeyListItem item{"Ctrl + Alt + N", "C:\\Windows\\Notepad.exe", "常用程序", 0};
  struct Case {
    const char* filter;
    bool stays;
  };
  const Case cases[] = {{"", true},     {"alt + n", true}, {"NOTEPAD", true},  {"常用", true},
                        {"记事", true}, {"calc", false},   {"ctrl+alt", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.filter);
    EXPECT_EQ(RowMatchesFilter(item, "打开记事本", c.filter), c.stays);
  }
}

}  // namespace
}  // namespace tav
