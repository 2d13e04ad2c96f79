// What the main window decides without a window: list order, command
// states, the delete question and deletion, the editor hand-off, and the
// three scheme menus kept in step.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include "actions/TextCipher.h"
#include "app/HotkeyList.h"
#include "app/SchemeMenus.h"
#include "base/AtomicFile.h"
#include "base/TextEncoding.h"
#include "dialogs/model/HotkeyEditorRequest.h"
#include "dialogs/model/NetLabel.h"
#include "help/HelpTopics.h"
#include "platform/RecordingPlatform.h"
#include "storage/SchemeFile.h"

namespace tav {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

TEST(HotkeyListTest, ComparisonFoldsOnlyAsciiLetters) {
  const struct {
    std::string a, b;
    int sign;
  } cases[] = {
      {"notepad", "NOTEPAD", 0},
      {"abc", "ABD", -1},
      {"Ctrl + A", "ctrl + b", -1},
      {"a", "ab", -1},
      {"", "", 0},
      // "_" (0x5F) stands between the upper and the lower case letters: a
      // fold to lower case would put it after "b".
      {"_", "b", 1},
      // Chinese text compares by its GB2312 bytes: 文 is CE C4, 中 is D6 D0
      // (their UTF-8 bytes would put 中 first).
      {"文", "中", -1},
      {"网络", "文字", -1},
      // Bytes above 0x7F are never folded: à is A8 A4, á A8 A2.
      {"z", "中", -1},
      {"à", "á", 1},
      // A text code page 936 cannot hold sorts after every other one.
      {"\U0001F600", "中", 1},
      {"a\U0001F600", "\U0001F600", 0},
  };
  for (const auto& [a, b, sign] : cases) {
    const int result = CompareFolded(a, b);
    EXPECT_EQ((result > 0) - (result < 0), sign) << a << " / " << b;
    EXPECT_EQ((CompareFolded(b, a) > 0) - (CompareFolded(b, a) < 0), -sign) << b << " / " << a;
  }
}

std::vector<int> SortedSlots(const std::vector<HotkeyListItem>& items, const ListSort& sort) {
  std::vector<int> slots;
  for (size_t position : sort.Order(items)) slots.push_back(items[position].slot);
  return slots;
}

TEST(HotkeyListTest, HeaderClicksFlipOnlyTheSameColumn) {
  const std::vector<HotkeyListItem> items = {
      {"Ctrl + B", "notepad.exe", "工具", 0},
      {"Ctrl + A", "calc.exe", "系统", 1},
      {"Alt + C", "cmd.exe", "工具", 2},
  };
  ListSort sort;
  sort.ColumnClick(kHotkeyColumn);
  EXPECT_FALSE(sort.descending());
  EXPECT_THAT(SortedSlots(items, sort), ElementsAre(2, 1, 0));
  sort.ColumnClick(kHotkeyColumn);  // twice: descending
  EXPECT_TRUE(sort.descending());
  EXPECT_THAT(SortedSlots(items, sort), ElementsAre(0, 1, 2));
  sort.ColumnClick(kCategoryColumn);  // another column: ascending again
  EXPECT_FALSE(sort.descending());
  EXPECT_EQ(sort.lastColumn(), kCategoryColumn);
  EXPECT_THAT(SortedSlots(items, sort), ElementsAre(0, 2, 1));  // 工 B9A4 < 系 CFB5
  sort.ColumnClick(kActionColumn);
  EXPECT_THAT(SortedSlots(items, sort), ElementsAre(1, 2, 0));

  // After an edit the next click on the same column sorts ascending.
  sort.Reset();
  EXPECT_EQ(sort.lastColumn(), -1);
  sort.ColumnClick(kActionColumn);
  EXPECT_FALSE(sort.descending());
}

TEST(HotkeyListTest, CategoriesSortByGb2312AndUnencodableTextsLast) {
  // Slots 3 and 5 hold characters code page 936 lacks: after the others in
  // list order, and first (still in list order) when descending.
  const std::vector<HotkeyListItem> items = {
      {"", "", "系统", 0},       {"", "", "网络", 1}, {"", "", "文字", 2},
      {"", "", "\U0001F600", 3}, {"", "", "工具", 4}, {"", "", "工具\U0001F600", 5},
  };
  ListSort sort;
  sort.ColumnClick(kCategoryColumn);
  EXPECT_THAT(SortedSlots(items, sort), ElementsAre(4, 1, 2, 0, 3, 5));
  sort.ColumnClick(kCategoryColumn);
  EXPECT_THAT(SortedSlots(items, sort), ElementsAre(3, 5, 0, 2, 1, 4));
}

TEST(HotkeyListTest, CommandStatesFollowTheSelection) {
  for (int count : {0, 1, 2, 3}) {
    EXPECT_EQ(CommandsAfterListClick(count), (EditCommands{count == 1, count >= 1})) << count;
    EXPECT_EQ(CommandsForListMenu(count), (EditCommands{count >= 1, count >= 1})) << count;
  }
}

TEST(HotkeyListTest, CommaTextQuotesWhatWouldSplit) {
  const struct {
    std::vector<std::string> texts;
    std::string expected;
  } cases[] = {
      {{"notepad.exe", "工具"}, "notepad.exe,工具"},
      {{"C:\\Program Files\\a.exe", "工具"}, "\"C:\\Program Files\\a.exe\",工具"},
      {{"a,b", ""}, "\"a,b\","},
      {{"say \"hi\"", "x"}, "\"say \"\"hi\"\"\",x"},
      {{"tab\there", "x"}, "\"tab\there\",x"},
      {{"中文", "类别"}, "中文,类别"},
      {{"", ""}, ","},
  };
  for (const auto& [texts, expected] : cases) EXPECT_EQ(CommaText(texts), expected);
}

TEST(HotkeyListTest, DeleteQuestionNamesOneItemOrCountsSeveral) {
  const HotkeyListItem one{"Ctrl + Alt + N", "C:\\Program Files\\n.exe", "工具", 0};
  EXPECT_EQ(DeleteQuestion({one}),
            "您真的决定要删除热键“Ctrl + Alt + N: \"C:\\Program Files\\n.exe\",工具”吗？");
  EXPECT_EQ(DeleteQuestion({one, one, one}), "您真的决定要删除您所选定的这3个热键吗？");
}

TEST(HotkeyEditorRequestTest, ChangeCarriesTheSlotIntoTheEditorsFields) {
  const HotkeySlot entry{kModControl | kModShift, 'A', "notepad.exe", "记事本", "工具"};
  const HotkeyEditorRequest request = ChangeRequest(entry, 7);
  EXPECT_EQ(request.caption, "修改热键");
  EXPECT_FALSE(request.modal);
  EXPECT_EQ(request.shiftState, kShiftStateCtrl | kShiftStateShift);
  EXPECT_EQ(request.shortcut, 0x4000 | 0x2000 | 'A');
  EXPECT_EQ(request.action, "notepad.exe");
  EXPECT_EQ(request.hint, "记事本");
  EXPECT_EQ(request.category, "工具");
  EXPECT_EQ(request.slot, 7);

  const HotkeyEditorRequest add = AddRequest();
  EXPECT_EQ(add.caption, "添加热键");
  EXPECT_TRUE(add.modal);
  EXPECT_EQ(add.slot, -1);
  EXPECT_EQ(add.shortcut, 0);

  const HotkeyEditorRequest drop = DropRequest("C:\\Tools\\便笺.exe");
  EXPECT_EQ(drop.caption, "添加热键");
  EXPECT_EQ(drop.action, "C:\\Tools\\便笺.exe");
  EXPECT_EQ(drop.hint, "便笺.exe");
}

// A program directory in a temporary folder with scheme files in it.
class ProgramDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    dir_ = fs::temp_directory_path() / ("tavrelin-main-" + std::to_string(random()));
    fs::create_directories(dir_ / "Data");
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string ProgramDirectory() const { return dir_.string() + "/"; }
  std::string Scheme(const std::string& name) const {
    return name.empty() ? DefaultSchemePath(ProgramDirectory())
                        : UserSchemePath(ProgramDirectory(), name);
  }
  void WriteScheme(const std::string& name, const std::vector<SchemeEntry>& entries,
                   const std::string& digest = "") {
    const std::string path = Scheme(name);
    WriteSchemeTemplate(path);
    SchemeDocument document;
    document.Load(path);
    document.SetPassword(digest);
    for (const SchemeEntry& entry : entries) document.AppendEntry(entry);
    document.Save(path);
  }
  std::vector<std::string> Actions(const std::string& name) const {
    SchemeDocument document;
    document.Load(Scheme(name));
    std::vector<std::string> actions;
    for (int i = 0; i < document.EntryCount(); ++i) actions.push_back(document.Entry(i).action);
    return actions;
  }

  fs::path dir_;
  RecordingPlatform platform_;
};

using DeleteEntriesTest = ProgramDirectoryTest;

TEST_F(DeleteEntriesTest, RemovesTheSelectedSlotsInOneSave) {
  WriteScheme("", {{"2+65", "a.exe", "", ""},
                   {"2+66", "b.exe", "", ""},
                   {"2+67", "c.exe", "", ""},
                   {"2+68", "d.exe", "", ""},
                   {"2+69", "e.exe", "", ""}});
  // Selected in a sorted list: slots out of order.
  const std::vector<HotkeyListItem> selected = {
      {"Ctrl + E", "e.exe", "", 4}, {"Ctrl + B", "b.exe", "", 1}, {"Ctrl + D", "d.exe", "", 3}};
  platform_.QueueMessageBoxAnswer(mb::kIdOk);
  EXPECT_TRUE(DeleteSelectedEntries(platform_, Scheme(""), selected));
  EXPECT_THAT(Actions(""), ElementsAre("a.exe", "c.exe"));
  EXPECT_THAT(platform_.Calls(),
              ElementsAre("MessageBox(您真的决定要删除您所选定的这3个热键吗？|删除热键|33)"));
}

TEST_F(DeleteEntriesTest, CancelOrNothingSelectedLeavesTheFile) {
  WriteScheme("", {{"2+65", "a.exe", "", ""}, {"2+66", "b.exe", "", ""}});
  const std::string before = ReadWholeFile(Scheme(""));
  platform_.QueueMessageBoxAnswer(mb::kIdCancel);
  EXPECT_FALSE(DeleteSelectedEntries(platform_, Scheme(""), {{"Ctrl + A", "a.exe", "", 0}}));
  EXPECT_FALSE(DeleteSelectedEntries(platform_, Scheme(""), {}));
  EXPECT_EQ(ReadWholeFile(Scheme("")), before);
  EXPECT_THAT(platform_.Calls(),
              ElementsAre("MessageBox(您真的决定要删除热键“Ctrl + A: a.exe,”吗？|删除热键|33)",
                          "MessageBox(请选择您要删除的项目。|删除热键|64)"));
}

// The main window's side of the scheme menus, recorded.
class FakeHost : public SchemeMenuHost {
 public:
  bool LoginShowing() override { return loginShowing; }
  std::string RememberedPasswordDigest() override { return rememberedDigest; }
  bool CheckPassword(const std::string& digest) override {
    checkedDigests.push_back(digest);
    return acceptPassword;
  }
  bool OpenScheme(const std::string& path) override {
    opened.push_back(FileNameOf(path));
    return openSucceeds;
  }

  bool loginShowing = false;
  std::string rememberedDigest = DigestText("");
  bool acceptPassword = true;
  bool openSucceeds = true;
  std::vector<std::string> checkedDigests;
  std::vector<std::string> opened;
};

class SchemeMenusTest : public ProgramDirectoryTest {
 protected:
  void SetUp() override {
    ProgramDirectoryTest::SetUp();
    WriteScheme("", {});
    WriteScheme("home.xml", {});
    WriteScheme("work.xml", {}, DigestText("secret"));
    WriteScheme("game.xml", {});
    menus_ = std::make_unique<SchemeMenus>(platform_, ProgramDirectory(), host_);
    menus_->ListMenus();
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const SchemeMenuEntry& item : menus_->userSchemes()) names.push_back(item.name);
    return names;
  }
  int Position(const std::string& name) const { return menus_->Find(name).value(); }

  FakeHost host_;
  std::unique_ptr<SchemeMenus> menus_;
};

TEST_F(SchemeMenusTest, ListsUserSchemesWithTheirLocks) {
  EXPECT_EQ(menus_->userSchemes().size(), 3u);
  EXPECT_FALSE(menus_->defaultLocked());
  for (const SchemeMenuEntry& item : menus_->userSchemes())
    EXPECT_EQ(item.locked, item.name == "work.xml") << item.name;

  // A new scheme overwritten by name keeps one item.
  menus_->AddSchemeItem("home.xml");
  EXPECT_EQ(menus_->userSchemes().size(), 3u);
  WriteScheme("new.xml", {}, DigestText("x"));
  menus_->AddSchemeItem("new.xml");
  EXPECT_EQ(menus_->userSchemes().back(), (SchemeMenuEntry{"new.xml", true}));

  // A damaged file is listed with the lock, and deleted after the question
  // alone: there is no digest a password could match.
  std::ofstream(Scheme("broken.xml")) << "<velmora><set>";
  menus_->ListMenus();
  ASSERT_TRUE(menus_->Find("broken.xml"));
  EXPECT_TRUE(menus_->userSchemes()[Position("broken.xml")].locked);
  host_.acceptPassword = false;
  platform_.QueueMessageBoxAnswer(mb::kIdOk);
  EXPECT_TRUE(menus_->DeleteFromMenu(Position("broken.xml")));
  EXPECT_TRUE(host_.checkedDigests.empty());
  EXPECT_FALSE(FileExists(Scheme("broken.xml")));
}

TEST_F(SchemeMenusTest, OpeningChecksTheItemOnlyOnSuccess) {
  EXPECT_TRUE(menus_->OpenFromMenu("game.xml"));
  EXPECT_EQ(menus_->checked(), Position("game.xml"));
  host_.openSucceeds = false;  // e.g. the password prompt was cancelled
  EXPECT_FALSE(menus_->OpenFromMenu("work.xml"));
  EXPECT_EQ(menus_->checked(), Position("game.xml"));
  host_.openSucceeds = true;
  EXPECT_TRUE(menus_->OpenFromMenu(kDefaultSchemeHint));
  EXPECT_EQ(menus_->checked(), kDefaultSchemeItem);
  EXPECT_THAT(host_.opened, ElementsAre("game.xml", "work.xml", "hotkey.xml"));
}

TEST_F(SchemeMenusTest, NothingIsCheckedUntilASchemeOpened) {
  // At start the default scheme's password was refused: no item checked,
  // and a lock change has no item to mark.
  EXPECT_EQ(menus_->checked(), std::nullopt);
  host_.openSucceeds = false;
  EXPECT_FALSE(menus_->OpenFromMenu(kDefaultSchemeHint));
  EXPECT_EQ(menus_->checked(), std::nullopt);
  menus_->MarkCheckedItems(true);
  EXPECT_FALSE(menus_->defaultLocked());
  for (const SchemeMenuEntry& item : menus_->userSchemes())
    EXPECT_EQ(item.locked, item.name == "work.xml") << item.name;
}

TEST_F(SchemeMenusTest, OnlyAReadableFileCarriesTheLock) {
  // A missing file protects nothing; one whose password cannot be read does.
  fs::remove(Scheme(""));
  std::ofstream(Scheme("broken.xml")) << "<velmora><set>";
  menus_->ListMenus();
  EXPECT_FALSE(menus_->defaultLocked());
  EXPECT_TRUE(menus_->userSchemes()[Position("broken.xml")].locked);
  std::ofstream(Scheme("")) << "<velmora>";
  menus_->ListMenus();
  EXPECT_TRUE(menus_->defaultLocked());
}

TEST_F(SchemeMenusTest, DeletingTheActiveSchemeOpensTheDefault) {
  ASSERT_TRUE(menus_->OpenFromMenu("game.xml"));
  platform_.QueueMessageBoxAnswer(mb::kIdOk);
  EXPECT_TRUE(menus_->DeleteFromMenu(Position("game.xml")));
  EXPECT_FALSE(FileExists(Scheme("game.xml")));
  EXPECT_FALSE(menus_->Find("game.xml"));
  EXPECT_EQ(menus_->checked(), kDefaultSchemeItem);
  EXPECT_THAT(host_.opened, ElementsAre("game.xml", "hotkey.xml"));
  EXPECT_THAT(platform_.Calls(),
              ElementsAre("MessageBox(你确定要删除热键配制方案game.xml吗？||33)"));
}

TEST_F(SchemeMenusTest, DeletingAnotherSchemeKeepsTheCheckOnTheActiveOne) {
  // The active scheme listed last, an earlier one deleted: its position moves.
  const std::string active = menus_->userSchemes().back().name;
  const std::string first = menus_->userSchemes().front().name;
  ASSERT_TRUE(menus_->OpenFromMenu(active));
  platform_.QueueMessageBoxAnswer(mb::kIdOk);
  EXPECT_TRUE(menus_->DeleteFromMenu(0));
  EXPECT_EQ(menus_->checked(), 1);
  EXPECT_EQ(menus_->userSchemes()[1].name, active);
  EXPECT_FALSE(FileExists(Scheme(first)));
  EXPECT_THAT(host_.opened, ElementsAre(active));
}

TEST_F(SchemeMenusTest, ALockedSchemeIsDeletedOnlyAfterItsPassword) {
  host_.acceptPassword = false;
  EXPECT_FALSE(menus_->DeleteFromMenu(Position("work.xml")));
  EXPECT_TRUE(FileExists(Scheme("work.xml")));
  EXPECT_THAT(host_.checkedDigests, ElementsAre(DigestText("secret")));
  EXPECT_TRUE(platform_.Calls().empty());  // no question asked

  // The remembered password already opens it: no prompt.
  host_.rememberedDigest = DigestText("secret");
  platform_.QueueMessageBoxAnswer(mb::kIdCancel);
  EXPECT_FALSE(menus_->DeleteFromMenu(Position("work.xml")));
  EXPECT_EQ(host_.checkedDigests.size(), 1u);
  EXPECT_TRUE(FileExists(Scheme("work.xml")));

  // Nothing happens while the prompt is showing.
  host_.loginShowing = true;
  EXPECT_FALSE(menus_->DeleteFromMenu(Position("work.xml")));
  EXPECT_EQ(platform_.Calls().size(), 1u);
}

TEST_F(SchemeMenusTest, AVanishedFileChangesNothing) {
  // The host's open reports the missing file; the menus stay as they were.
  ASSERT_TRUE(menus_->OpenFromMenu("home.xml"));
  fs::remove(Scheme("home.xml"));
  host_.openSucceeds = false;
  EXPECT_FALSE(menus_->OpenFromMenu("home.xml"));
  EXPECT_TRUE(menus_->Find("home.xml"));
  EXPECT_EQ(menus_->checked(), Position("home.xml"));
  EXPECT_THAT(host_.opened, ElementsAre("home.xml", "home.xml"));
  EXPECT_TRUE(platform_.Calls().empty());

  // Deleting a vanished file still takes its item away, and says so.
  fs::remove(Scheme("game.xml"));
  platform_.QueueMessageBoxAnswer(mb::kIdOk);
  EXPECT_TRUE(menus_->DeleteFromMenu(Position("game.xml")));
  EXPECT_THAT(Names(), UnorderedElementsAre("home.xml", "work.xml"));
  EXPECT_THAT(
      platform_.CallsStartingWith("MessageBox(方案文件"),
      ElementsAre(
          "MessageBox(方案文件“game.xml”已不存在，已从菜单中移去。|Tavrelin 4.6.0 Final|48)"));
}

TEST_F(SchemeMenusTest, LockMarksFollowTheCheckedItem) {
  ASSERT_TRUE(menus_->OpenFromMenu(kDefaultSchemeHint));
  menus_->MarkCheckedItems(true);
  EXPECT_TRUE(menus_->defaultLocked());
  ASSERT_TRUE(menus_->OpenFromMenu("work.xml"));
  menus_->MarkCheckedItems(false);
  EXPECT_FALSE(menus_->userSchemes()[Position("work.xml")].locked);
  EXPECT_TRUE(menus_->defaultLocked());
}

TEST_F(SchemeMenusTest, TheDeleteMenuSaysWhenThereIsNothingToDelete) {
  menus_->SayWhenNoSchemeToDelete();
  EXPECT_TRUE(platform_.Calls().empty());
  for (const std::string name : {"home.xml", "work.xml", "game.xml"}) fs::remove(Scheme(name));
  menus_->ListMenus();
  menus_->SayWhenNoSchemeToDelete();
  EXPECT_THAT(
      platform_.Calls(),
      ElementsAre("MessageBox(除了默认方案外，您还没有其他自定义方案。|Tavrelin 4.6.0 Final|64)"));
}

TEST(HelpTopicsTest, OneBackslashBeforeTheFileName) {
  EXPECT_EQ(HelpAddress("D:\\tools\\", kScriptEditorTopic),
            "D:\\tools\\帮助.chm::/ScriptEditor.htm");
  EXPECT_EQ(HelpAddress("D:\\tools", kAddHotkeyTopic), "D:\\tools\\帮助.chm::/AddHotkey.htm");
  EXPECT_EQ(HelpAddress("C:\\", kCategorySettingsTopic),
            "C:\\帮助.chm::/SettingCenter.htm#类别设置");
}

TEST(NetLabelTest, HoverClickAndLeave) {
  NetLabelState label("example.com/tavrelin", HyperLinkKind::kHttp);
  EXPECT_EQ(label.color(), Rgb(128, 0, 0));  // a new label is maroon
  label.MouseEnter();
  EXPECT_EQ(label.color(), Rgb(0, 0, 255));
  EXPECT_TRUE(label.underline());
  label.MouseLeave();
  EXPECT_EQ(label.color(), Rgb(128, 0, 0));
  EXPECT_FALSE(label.underline());

  // The about box shows its labels blue and underlined; after a hover they
  // are no longer underlined, and after a click they show the visited colour.
  label.set_color(Rgb(0, 0, 255));
  label.set_underline(true);
  label.MouseEnter();
  EXPECT_EQ(label.Click(), "http://example.com/tavrelin");
  label.MouseLeave();
  EXPECT_EQ(label.color(), Rgb(0, 0, 128));
  EXPECT_FALSE(label.underline());

  NetLabelState mail("someone@example.com", HyperLinkKind::kMail);
  EXPECT_EQ(mail.Click(), "mailto:someone@example.com");
  NetLabelState empty("", HyperLinkKind::kHttp);
  empty.MouseEnter();
  EXPECT_EQ(empty.Click(), "");
  empty.MouseLeave();
  EXPECT_EQ(empty.color(), Rgb(128, 0, 0));  // no visit: the colour stays

  const std::pair<HyperLinkKind, std::string> prefixes[] = {
      {HyperLinkKind::kHttp, "http://"},   {HyperLinkKind::kMail, "mailto:"},
      {HyperLinkKind::kTelnet, "telnet:"}, {HyperLinkKind::kGopher, "gopher://"},
      {HyperLinkKind::kNews, "news:"},     {HyperLinkKind::kFtp, "ftp://"}};
  for (const auto& [kind, prefix] : prefixes) EXPECT_EQ(HyperLinkPrefix(kind), prefix);
}

}  // namespace
}  // namespace tav
