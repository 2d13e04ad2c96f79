// The hotkey editor's decisions: the hotkey control's flags, the input
// check, adding and changing entries in the scheme file, and the notice of a
// combination already in use.
#include "dialogs/model/EntryEditing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "actions/TextCipher.h"
#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/TextEncoding.h"
#include "dialogs/model/HotkeyControl.h"
#include "platform/RecordingPlatform.h"
#include "storage/SchemeFile.h"

namespace tav {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// --- The hotkey control ------------------------------------------------------

TEST(HotkeyControlTest, EveryModifierSetMapsBothWays) {
  struct Case {
    int32_t stored;    // Alt 1, Ctrl 2, Shift 4
    unsigned control;  // Shift 1, Ctrl 2, Alt 4
  };
  const Case cases[] = {{0, 0}, {1, 4}, {2, 2}, {3, 6}, {4, 1}, {5, 5}, {6, 3}, {7, 7}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    EXPECT_EQ(ModifiersToControlBits(c.stored), c.control);
    EXPECT_EQ(ControlBitsToModifiers(c.control), c.stored);
    const HotkeyCode code{c.stored, 0x74};
    EXPECT_EQ(ToControlValue(code), (c.control << 8) | 0x74);
    EXPECT_EQ(FromControlValue(ToControlValue(code)), code);
  }
}

TEST(HotkeyControlTest, ExtendedKeyBitAndKeylessValues) {
  // HOTKEYF_EXT | HOTKEYF_CONTROL with Delete: Ctrl alone, the key kept.
  EXPECT_EQ(FromControlValue(0x0A2E), (HotkeyCode{2, 0x2E}));
  EXPECT_EQ(ToControlValue({3, 0}), 0);
  EXPECT_EQ(ToControlValue({3, 0x100}), 0);
  // The Windows-key flag of a hand-edited file cannot be shown by the control.
  EXPECT_EQ(ToControlValue({8 | 2, 0x41}), 0x0241);
}

TEST(HotkeyControlTest, ShortcutValueOfTheListBecomesACode) {
  EXPECT_EQ(FromShortcutValue(0xA041), (HotkeyCode{5, 0x41}));       // Shift + Alt + A
  EXPECT_EQ(FromShortcutValue(0x6000 | 116), (HotkeyCode{6, 116}));  // Ctrl + Shift + F5
  EXPECT_EQ(FromShortcutValue(112), (HotkeyCode{0, 112}));           // F1 alone
}

TEST(HotkeyControlTest, NoModifierAndShiftAloneAreRefused) {
  for (int32_t modifiers = 0; modifiers <= 7; ++modifiers) {
    SCOPED_TRACE(modifiers);
    EXPECT_EQ(IsRefusedCombination(modifiers), modifiers == 0 || modifiers == 4);
  }
  EXPECT_EQ(kRefusedCombinations, 0x03u);  // HKCOMB_NONE | HKCOMB_S
  EXPECT_FALSE(IsRefusedCombination(ControlBitsToModifiers(kReplacementModifiers)));
}

TEST(HotkeyControlTest, FlagsOutsideOneToSevenAreStoredAsZero) {
  const std::pair<int32_t, int32_t> cases[] = {{0, 0}, {1, 1}, {7, 7}, {8, 0}, {10, 0}, {-1, 0}};
  for (const auto& [given, stored] : cases) EXPECT_EQ(StoredModifiers(given), stored) << given;
}

// --- Writing entries ---------------------------------------------------------

// The main window as the editor sees it; records what the editor asks of it.
class FakeHost : public EntryEditorHost {
 public:
  std::string ActiveSchemePath() const override { return path; }
  bool SchemeIsProtected() const override { return !password.empty(); }
  std::string RememberedPassword() const override { return password; }
  bool HotkeysPaused() const override { return paused; }
  void ResetAndLoad() override { calls.push_back("ResetAndLoad"); }
  void OpenScheme(const std::string& opened) override { calls.push_back("OpenScheme " + opened); }
  void ResetSortState() override { calls.push_back("ResetSortState"); }
  const EntryTable& Slots() const override { return slots; }

  std::string path;
  std::string password;
  bool paused = false;
  EntryTable slots{};
  std::vector<std::string> calls;
};

constexpr char kIncomplete[] = "MessageBox(请将必填项目填写完整|Tavrelin 4.6.0 Final|64)";

class EntryWritingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    dir_ = fs::temp_directory_path() / ("tavrelin-editing-" + std::to_string(random()));
    fs::create_directories(dir_);
    host_.path = (dir_ / "hotkey.xml").string();
    WriteSchemeTemplate(host_.path);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // A scheme of `count` entries "2+<65+i>", action "a<i>", hint "h<i>", category "c<i>".
  void WriteEntries(int count, const std::string& password = "") {
    SchemeDocument document;
    document.Load(host_.path);
    if (!password.empty()) document.SetPassword(DigestText(password));
    for (int i = 0; i < count; ++i) {
      SchemeEntry entry{"2+" + std::to_string(65 + i), "a" + std::to_string(i),
                        "h" + std::to_string(i), "c" + std::to_string(i)};
      if (!password.empty()) {
        for (std::string* text : {&entry.hotkey, &entry.action, &entry.hint, &entry.sort})
          *text = EncryptText(password, *text);
      }
      document.AppendEntry(entry);
    }
    document.Save(host_.path);
  }

  std::vector<SchemeEntry> Entries() const {
    SchemeDocument document;
    document.Load(host_.path);
    std::vector<SchemeEntry> entries;
    for (int i = 0; i < document.EntryCount(); ++i) entries.push_back(document.Entry(i));
    return entries;
  }

  // The entry under change at `position` of WriteEntries' scheme.
  EntryUnderChange Change(int position) const {
    HotkeySlot slot{2, 65 + position, "a" + std::to_string(position),
                    "h" + std::to_string(position), "c" + std::to_string(position)};
    return {host_.path, position, slot};
  }

  fs::path dir_;
  RecordingPlatform platform_;
  FakeHost host_;
};

TEST_F(EntryWritingTest, IncompleteInputIsRefusedWithTheMessage) {
  const EntryInput cases[] = {
      {{6, 0}, "notepad.exe", "", ""},  // no key
      {{6, 116}, "", "备注", "其他"},   // no target
  };
  for (const EntryInput& input : cases) {
    platform_.ClearCalls();
    EXPECT_FALSE(CheckInput(platform_, input));
    EXPECT_FALSE(AppendEntry(platform_, host_, input));
    EXPECT_THAT(platform_.Calls(), ElementsAre(kIncomplete, kIncomplete));
  }
  EXPECT_THAT(Entries(), IsEmpty());
  EXPECT_THAT(host_.calls, IsEmpty());
  EXPECT_TRUE(
      CheckInput(platform_, {{0, 112}, "x", "", ""}));  // a key without modifier is complete
}

TEST_F(EntryWritingTest, AddWritesTheExactFile) {
  ASSERT_TRUE(AppendEntry(platform_, host_, {{6, 116}, "notepad.exe", "", ""}));
  EXPECT_EQ(ReadWholeFile(host_.path),
            "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<velmora>\r\n\t<set>\r\n"
            "\t\t<password />\r\n\t</set>\r\n\t<hotkeylist>\r\n\t\t<hotkeyset>\r\n"
            "\t\t\t<hotkey>6+116</hotkey>\r\n\t\t\t<action>notepad.exe</action>\r\n"
            "\t\t\t<hint />\r\n\t\t\t<sort />\r\n\t\t</hotkeyset>\r\n\t</hotkeylist>\r\n"
            "</velmora>\r\n");
  EXPECT_THAT(platform_.Calls(), IsEmpty());

  ASSERT_TRUE(AppendEntry(platform_, host_, {{0, 112}, "记事本.txt", "备注", "工作"}));
  EXPECT_THAT(Entries(), ElementsAre(SchemeEntry{"6+116", "notepad.exe", "", ""},
                                     SchemeEntry{"0+112", "记事本.txt", "备注", "工作"}));
  EXPECT_NE(ReadWholeFile(host_.path).find(Utf8ToCp936("<action>记事本.txt</action>")),
            std::string::npos);
}

TEST_F(EntryWritingTest, ReloadFollowsThePauseStateAndTheSortIsReset) {
  ASSERT_TRUE(AppendEntry(platform_, host_, {{3, 65}, "a", "", ""}));
  EXPECT_THAT(host_.calls, ElementsAre("OpenScheme " + host_.path, "ResetSortState"));

  host_.calls.clear();
  host_.paused = true;
  WriteSchemeTemplate(host_.path);
  WriteEntries(2);
  ASSERT_TRUE(ReplaceEntry(platform_, host_, Change(1), {{3, 66}, "b", "", ""}));
  EXPECT_THAT(host_.calls, ElementsAre("ResetAndLoad", "ResetSortState"));
}

TEST_F(EntryWritingTest, ProtectedSchemeStoresCipherTextAndReadsBackPlain) {
  WriteEntries(0, "口令");
  host_.password = "口令";
  ASSERT_TRUE(AppendEntry(platform_, host_, {{6, 116}, "notepad.exe", "", "工作"}));
  const std::vector<SchemeEntry> entries = Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0],
            (SchemeEntry{EncryptText("口令", "6+116"), EncryptText("口令", "notepad.exe"), "",
                         EncryptText("口令", "工作")}));

  EntryTable table;
  std::vector<HotkeyListItem> items;
  LoadEntries(
      host_.path, [](const std::string& t) { return DecryptText("口令", t); }, table, items);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].caption, "Ctrl + Shift + F5");
  EXPECT_EQ(table[0].action, "notepad.exe");
  EXPECT_EQ(table[0].category, "工作");
}

TEST_F(EntryWritingTest, ChangeReplacesInOneSaveAndMovesTheEntryLast) {
  WriteEntries(3);
  ASSERT_TRUE(ReplaceEntry(platform_, host_, Change(1), {{6, 116}, "新", "", "工作"}));
  EXPECT_THAT(Entries(), ElementsAre(SchemeEntry{"2+65", "a0", "h0", "c0"},
                                     SchemeEntry{"2+67", "a2", "h2", "c2"},
                                     SchemeEntry{"6+116", "新", "", "工作"}));
}

TEST_F(EntryWritingTest, ProtectedChangeFindsItsEntryThroughTheCipher) {
  WriteEntries(2, "pw");
  host_.password = "pw";
  ASSERT_TRUE(ReplaceEntry(platform_, host_, Change(0), {{1, 70}, "b", "h", ""}));
  const std::vector<SchemeEntry> entries = Entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].action, EncryptText("pw", "a1"));
  EXPECT_EQ(entries[1], (SchemeEntry{EncryptText("pw", "1+70"), EncryptText("pw", "b"),
                                     EncryptText("pw", "h"), ""}));
}

TEST_F(EntryWritingTest, HundredEntriesRefuseAnAddButNotAChange) {
  WriteEntries(100);
  const std::string before = ReadWholeFile(host_.path);
  EXPECT_FALSE(AppendEntry(platform_, host_, {{6, 116}, "x", "", ""}));
  EXPECT_THAT(platform_.Calls(),
              ElementsAre("MessageBox(对不起，您已经定义了100个热键，不能定义更多的热键了。|"
                          "Tavrelin 4.6.0 Final|0)"));
  EXPECT_EQ(ReadWholeFile(host_.path), before);
  EXPECT_THAT(host_.calls, IsEmpty());

  ASSERT_TRUE(ReplaceEntry(platform_, host_, Change(5), {{6, 116}, "x", "", ""}));
  const std::vector<SchemeEntry> entries = Entries();
  ASSERT_EQ(entries.size(), 100u);
  EXPECT_EQ(entries[5].action, "a6");
  EXPECT_EQ(entries[99], (SchemeEntry{"6+116", "x", "", ""}));
}

TEST_F(EntryWritingTest, FailedChangeLeavesTheFileAsItWas) {
  WriteEntries(3);
  const std::string before = ReadWholeFile(host_.path);

  // The save cannot create its temporary file.
  fs::create_directory(host_.path + ".tmp~");
  EXPECT_THROW(ReplaceEntry(platform_, host_, Change(0), {{6, 116}, "x", "", ""}), FileError);
  EXPECT_EQ(ReadWholeFile(host_.path), before);
  fs::remove(host_.path + ".tmp~");

  // A protected scheme cannot encrypt a text GB2312 lacks.
  WriteSchemeTemplate(host_.path);
  WriteEntries(3, "pw");
  host_.password = "pw";
  const std::string protectedBefore = ReadWholeFile(host_.path);
  EXPECT_THROW(ReplaceEntry(platform_, host_, Change(0), {{6, 116}, "😀", "", ""}), EncodingError);
  EXPECT_EQ(ReadWholeFile(host_.path), protectedBefore);
  EXPECT_THAT(host_.calls, IsEmpty());
}

TEST_F(EntryWritingTest, ChangeOfAnEntryNoLongerThereReplacesNothing) {
  WriteEntries(3);
  const std::string before = ReadWholeFile(host_.path);
  EntryUnderChange otherScheme = Change(1);
  otherScheme.schemePath = (dir_ / "Data" / "other.xml").string();
  EntryUnderChange gone = Change(3);
  EntryUnderChange changedMeanwhile = Change(1);
  changedMeanwhile.original.action = "a1 before";
  EntryUnderChange otherKey = Change(1);
  otherKey.original.modifiers = 3;

  for (const EntryUnderChange& change : {otherScheme, gone, changedMeanwhile, otherKey}) {
    platform_.ClearCalls();
    EXPECT_FALSE(ReplaceEntry(platform_, host_, change, {{6, 116}, "x", "", ""}));
    ASSERT_EQ(platform_.Calls().size(), 1u);
    EXPECT_THAT(platform_.Calls()[0], ::testing::HasSubstr("没有做任何修改"));
    EXPECT_EQ(ReadWholeFile(host_.path), before);
  }
  EXPECT_THAT(host_.calls, IsEmpty());
}

// --- Clash notice ------------------------------------------------------------

TEST(ClashNoticeTest, TellsWhoHoldsTheCombination) {
  EntryTable slots{};
  slots[0] = {6, 116, "notepad.exe", "记事本", ""};
  slots[1] = {3, 65, "calc.exe", "", ""};
  RecordingPlatform platform;
  platform.TakeCombination(2, 80);

  struct Case {
    HotkeyCode code;
    int ownSlot;
    const char* notice;
  };
  const Case cases[] = {
      {{6, 116}, -1, "该热键已被“记事本”使用"},
      {{3, 65}, 0, "该热键已被“calc.exe”使用"},  // no remark: its action
      {{6, 116}, 0, ""},                         // the entry under change itself
      {{2, 80}, -1, "该热键已被其他程序占用"},
      {{2, 81}, -1, ""},
      {{2, 0}, -1, ""},  // no key yet
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.notice);
    EXPECT_EQ(ClashNotice(platform, slots, c.ownSlot, c.code), c.notice);
  }
  // The probe leaves nothing registered.
  EXPECT_TRUE(platform.Registrations().empty());
  EXPECT_THAT(platform.CallsStartingWith("UnregisterHotKey"),
              ElementsAre("UnregisterHotKey(49151)"));
}

// --- Programs picked from the visible windows --------------------------------

TEST(PickedProgramsTest, JoinTheListOnceEachKeepingItsSpelling) {
  const struct {
    const char* list;
    std::vector<std::string> picked;
    const char* expected;
  } cases[] = {
      {"", {"notepad.exe"}, "notepad.exe"},
      {"Notepad.EXE", {"notepad.exe", "calc.exe"}, "Notepad.EXE; calc.exe"},
      {" a.exe ;; b.exe,", {"B.EXE", "c.exe", "C.exe"}, "a.exe; b.exe; c.exe"},
      {"a.exe", {}, "a.exe"},
      {"", {"程序.exe", "  "}, "程序.exe"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WithPickedPrograms(c.list, c.picked), c.expected) << c.list;
  }
}

}  // namespace
}  // namespace tav
