#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "editor/ScriptEditorModel.h"
#include "editor/ScriptFile.h"
#include "platform/Platform.h"
#include "tests/unit/ActionTestSupport.h"

namespace tav {
namespace {

using Lines = std::vector<std::string>;

// The editor's widgets as plain state: lines, caption, Save's enabled state
// and the next answers of the two file dialogs.
class FakeView : public ScriptEditorView {
 public:
  bool TextIsEmpty() override { return text.empty(); }
  std::vector<std::string> Lines() override { return SplitTextLines(text); }
  void SetLines(const std::vector<std::string>& lines) override {
    text.clear();
    for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? "\n" : "") + lines[i];
  }
  void ClearAll() override {
    text.clear();
    ++clears;
  }
  void ReplaceSelection(const std::string& inserted) override { text += inserted; }
  int ShowMessage(const std::string& text, const std::string& title, unsigned style) override {
    messages.push_back(text + "|" + title + "|" + std::to_string(style));
    if (answers.empty()) return mb::kIdOk;
    const int answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  }
  void ShowCaption(const std::string& shown) override { caption = shown; }
  void EnableSave(bool enabled) override { saveEnabled = enabled; }
  std::optional<std::string> ChooseScriptToOpen(const std::string& dir) override {
    openDir = dir;
    return openAnswer;
  }
  std::optional<std::string> ChooseScriptToSave(const std::string& dir,
                                                const std::string& suggested) override {
    saveDir = dir;
    suggestedName = suggested;
    return saveAnswer;
  }

  std::string text;
  std::string caption = "编辑脚本";
  bool saveEnabled = false;
  int clears = 0;
  std::optional<std::string> openAnswer;
  std::optional<std::string> saveAnswer;
  std::string openDir, saveDir, suggestedName;
  std::vector<std::string> messages;
  std::vector<int> answers;
};

const std::string kQuestion = "脚本还未保存，要保存吗？||35";

class ScriptEditorModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("tavrelin-editor-" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

  void Type(const std::string& text) {
    view_.text += text;
    model_.TextChanged();
  }
  std::vector<std::string> Questions() { return view_.messages; }

  std::filesystem::path dir_;
  FakeView view_;
  ScriptEditorModel model_{view_, "C:\\prog\\Script\\"};
};

TEST_F(ScriptEditorModelTest, CaptionFollowsNameAndModifiedState) {
  EXPECT_EQ(ScriptEditorCaption("", false), "编辑脚本 - [未命名]");
  EXPECT_EQ(ScriptEditorCaption("C:\\a\\b.tsc", true), "编辑脚本 - [b.tsc*]");
  ASSERT_TRUE(model_.New());
  EXPECT_EQ(view_.caption, "编辑脚本 - [未命名]");
  Type("x");
  EXPECT_EQ(view_.caption, "编辑脚本 - [未命名*]");
  EXPECT_TRUE(view_.saveEnabled);
}

TEST_F(ScriptEditorModelTest, NewAsksOnlyForAModifiedScriptWithTextOrName) {
  Type("abc");
  view_.text.clear();  // typed, then deleted again: modified but empty
  model_.TextChanged();
  ASSERT_TRUE(model_.New());
  EXPECT_TRUE(Questions().empty());
  EXPECT_FALSE(model_.Modified());

  Type("abc");
  view_.answers.push_back(mb::kIdCancel);
  EXPECT_FALSE(model_.New());
  EXPECT_EQ(Questions(), std::vector<std::string>{kQuestion});
  EXPECT_EQ(view_.text, "abc");
  EXPECT_TRUE(model_.Modified());

  view_.answers.push_back(mb::kIdNo);
  EXPECT_TRUE(model_.New());
  EXPECT_EQ(view_.text, "");
  EXPECT_FALSE(view_.saveEnabled);
}

TEST_F(ScriptEditorModelTest, SaveOfUnnamedScriptRunsSaveAsAndCancelKeepsItModified) {
  Type("Key_Press:A");
  EXPECT_FALSE(model_.Save());
  EXPECT_EQ(view_.saveDir, "C:\\prog\\Script\\");
  EXPECT_TRUE(model_.Modified());
  EXPECT_EQ(model_.FileName(), "");

  view_.saveAnswer = PathOf("a.txt");
  EXPECT_TRUE(model_.Save());
  EXPECT_EQ(model_.FileName(), PathOf("a.txt.tsc"));
  EXPECT_EQ(ReadWholeFile(PathOf("a.txt.tsc")), "Key_Press:A\r\n");
  EXPECT_FALSE(model_.Modified());
  EXPECT_EQ(view_.caption, "编辑脚本 - [a.txt.tsc]");
}

TEST_F(ScriptEditorModelTest, FailedSaveKeepsTheScriptModified) {
  view_.saveAnswer = PathOf("no-such-dir/a.tsc");
  Type("x");
  EXPECT_THROW(model_.SaveAs(), FileError);
  EXPECT_EQ(model_.FileName(), PathOf("no-such-dir/a.tsc"));
  EXPECT_TRUE(model_.Modified());
  EXPECT_THROW(model_.Save(), FileError);
  EXPECT_TRUE(model_.Modified());
}

TEST_F(ScriptEditorModelTest, OpenLoadsTheFileAndCancelAtTheQuestionAbandonsIt) {
  WriteScriptLines(PathOf("b.tsc"), {"$$/打开文件", "notepad"});
  view_.openAnswer = PathOf("b.tsc");
  ASSERT_TRUE(model_.Open());
  EXPECT_EQ(view_.openDir, "C:\\prog\\Script\\");
  EXPECT_EQ(view_.text, "$$/打开文件\nnotepad");
  EXPECT_EQ(view_.caption, "编辑脚本 - [b.tsc]");
  EXPECT_FALSE(model_.Modified());

  Type("\nmore");
  view_.answers.push_back(mb::kIdCancel);
  EXPECT_FALSE(model_.OpenScriptFile(PathOf("b.tsc")));
  EXPECT_EQ(view_.text, "$$/打开文件\nnotepad\nmore");
  EXPECT_TRUE(model_.Modified());
}

TEST_F(ScriptEditorModelTest, FailedLoadLeavesTheEditorAsNewLeftIt) {
  Type("x");
  view_.answers.push_back(mb::kIdNo);
  EXPECT_THROW(model_.OpenScriptFile(PathOf("missing.tsc")), FileError);
  EXPECT_EQ(view_.text, "");
  EXPECT_EQ(model_.FileName(), "");
  EXPECT_FALSE(model_.Modified());
}

TEST_F(ScriptEditorModelTest, CloseQueryAnswers) {
  // Not modified: no question.
  EXPECT_TRUE(model_.CloseQuery());
  EXPECT_TRUE(Questions().empty());

  view_.saveAnswer = PathOf("c");
  Type("y");
  view_.answers.push_back(mb::kIdCancel);
  EXPECT_FALSE(model_.CloseQuery());
  EXPECT_EQ(view_.text, "y");

  view_.answers.push_back(mb::kIdNo);
  EXPECT_TRUE(model_.CloseQuery());
  EXPECT_FALSE(FileExists(PathOf("c.tsc")));

  view_.answers.push_back(mb::kIdYes);
  EXPECT_TRUE(model_.CloseQuery());
  EXPECT_EQ(ReadWholeFile(PathOf("c.tsc")), "y\r\n");
  EXPECT_EQ(model_.Close(), PathOf("c.tsc"));
  EXPECT_EQ(view_.text, "");
  EXPECT_EQ(model_.FileName(), "");
  EXPECT_FALSE(view_.saveEnabled);
}

// Answering Yes and then cancelling the save dialog must not lose the text.
TEST_F(ScriptEditorModelTest, YesWithCancelledSaveDialogKeepsTheText) {
  Type("keep me");
  view_.answers.push_back(mb::kIdYes);
  EXPECT_FALSE(model_.CloseQuery());
  view_.answers.push_back(mb::kIdYes);
  EXPECT_FALSE(model_.New());
  EXPECT_EQ(view_.text, "keep me");
  EXPECT_TRUE(model_.Modified());
}

TEST_F(ScriptEditorModelTest, CloseOfUnnamedScriptHandsNoName) {
  Type("z");
  EXPECT_EQ(model_.Close(), std::nullopt);
  EXPECT_FALSE(model_.Modified());
}

TEST_F(ScriptEditorModelTest, MissingScriptPathIsOfferedAtTheFirstSave) {
  ASSERT_TRUE(model_.NewScriptAt(PathOf("new.tsc")));
  EXPECT_EQ(view_.caption, "编辑脚本 - [new.tsc] (新文件)");
  EXPECT_EQ(model_.FileName(), "");
  Type("q");
  view_.saveAnswer = PathOf("new.tsc");
  EXPECT_TRUE(model_.Save());
  EXPECT_EQ(view_.suggestedName, PathOf("new.tsc"));
  EXPECT_EQ(view_.caption, "编辑脚本 - [new.tsc]");
}

TEST(ScriptInsertions, FixedAndCheckedTexts) {
  struct Case {
    Insertion got;
    std::string text;
    std::string error;
  };
  const std::vector<Case> cases = {
      {KeyCommandInsertion("按住", "Ctrl"), "$$/按住\nKey_Down~:Ctrl\n", ""},
      {KeyCommandInsertion("按键", "A"), "$$/按键\nKey_Press:A\n", ""},
      {KeyCommandInsertion("弹起", "Tab"), "$$/弹起\nKey_Up~~~:Tab\n", ""},
      {KeyCommandInsertion("按键x", "A"), "", "没有这个按键动作"},
      {KeyCommandInsertion("按住", ""), "", "你还没有确定你要按的键"},
      {KeyCommandInsertion("", ""), "", "没有这个按键动作"},
      {MouseCommandInsertion("左键单击"), "$$/左键单击\nMouse_btn:LDown\nMouse_btn:LUp\n", ""},
      {MouseCommandInsertion("右键单击"), "$$/右键单击\nMouse_btn:RDown\nMouse_btn:RUp\n", ""},
      {MouseCommandInsertion("左键双击"),
       "$$/左键双击\nMouse_btn:LDown\nMouse_btn:LUp\nDelay_ms~:200\nMouse_btn:LDown\n"
       "Mouse_btn:LUp\n",
       ""},
      {MouseCommandInsertion("左键按下"), "$$/左键按下\nMouse_btn:LDown\n", ""},
      {MouseCommandInsertion("左键弹起"), "$$/左键弹起\nMouse_btn:LUp\n", ""},
      {MouseCommandInsertion("右键按下"), "$$/右键按下\nMouse_btn:RDown\n", ""},
      {MouseCommandInsertion("右键弹起"), "$$/右键弹起\nMouse_btn:RUp\n", ""},
      {MouseCommandInsertion("中键"), "", "没有这个鼠标事件"},
      {DelayCommandInsertion("毫秒(ms)", "500"), "$$/延时：毫秒(ms)\nDelay_ms~:500\n", ""},
      {DelayCommandInsertion("秒(s)", "007"), "$$/延时：秒(s)\nDelay_s~~:007\n", ""},
      {DelayCommandInsertion("分(m)", "1"), "$$/延时：分(m)\nDelay_m~~:1\n", ""},
      {DelayCommandInsertion("小时(h)", "2"), "$$/延时：小时(h)\nDelay_h~~:2\n", ""},
      {DelayCommandInsertion("天", "2"), "", "没有这个时间单位"},
      {DelayCommandInsertion("秒(s)", ""), "", "你得确定你要延时的时间先"},
      {OpenFileInsertion("C:\\a b\\c.exe"), "$$/打开文件\nC:\\a b\\c.exe\n", ""},
      {OpenFolderInsertion("D:\\工具"), "$$/打开文件夹\nD:\\工具\n", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.got.text, c.text);
    EXPECT_EQ(c.got.error, c.error) << c.text;
  }
}

TEST(ScriptInsertions, KeyCaptureShowsTheHeldModifierElseTheKeyName) {
  struct Case {
    int key;
    bool alt, ctrl, shift;
    const char* shown;
  };
  const std::vector<Case> cases = {
      {'A', false, false, true, "Shift"}, {'A', false, false, false, "A"},
      {0x09, false, false, false, "Tab"}, {0x11, false, false, false, "Ctrl"},
      {0xA4, false, false, false, "Alt"}, {'B', true, true, true, "Alt"},
      {'B', false, true, true, "Ctrl"},   {0x2E, false, false, false, "Delete"},
      {0xFF, false, false, false, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KeyCaptureText(c.key, c.alt, c.ctrl, c.shift), c.shown) << c.key;
  }
}

// What the aids write is what the script runner carries out: a script made
// of insertions only, saved by the editor, runs as the keys, clicks and
// waits they name and leaves no key down.
class InsertedScriptRunTest : public test::RecordedEngineTest {
 protected:
  FakeView view_;
  ScriptEditorModel model_{view_, ""};
  test::TempFolder folder_;
};

TEST_F(InsertedScriptRunTest, SavedInsertionsRunAsTheirKeysClicksAndDelays) {
  const std::vector<Insertion> insertions = {
      KeyCommandInsertion("按住", "Shift"), KeyCommandInsertion("按键", "A"),
      KeyCommandInsertion("弹起", "Shift"), MouseCommandInsertion("左键双击"),
      DelayCommandInsertion("秒(s)", "2"),  {std::string(kCopyMacro), ""},
  };
  for (const Insertion& insertion : insertions) {
    ASSERT_EQ(insertion.error, "");
    view_.ReplaceSelection(insertion.text);
    model_.TextChanged();
  }
  view_.saveAnswer = folder_.PathOf("made-by-aids");
  ASSERT_TRUE(model_.Save());

  engine_.RunAction(model_.FileName());
  engine_.WaitForRuns();
  const std::vector<std::string> keys = platform_.CallsStartingWith("input");
  ASSERT_GE(keys.size(), 8u);
  EXPECT_EQ(keys[0], "input(16,42,0)");  // Shift down, A, Shift up
  EXPECT_EQ(keys[1], "input(65,30,0)");
  EXPECT_EQ(keys[2], "input(65,30,2)");
  EXPECT_EQ(keys[3], "input(16,42,2)");
  EXPECT_EQ(platform_.CallsStartingWith("mouse_event"),
            (std::vector<std::string>{"mouse_event(2)", "mouse_event(4)", "mouse_event(2)",
                                      "mouse_event(4)"}));
  EXPECT_EQ(waits_, (std::vector<long long>{200, 2000}));
  EXPECT_EQ(platform_.CallsStartingWith("input(67").size(), 2u);  // C pressed once
  EXPECT_TRUE(platform_.KeysDown().empty());
}

}  // namespace
}  // namespace tav
