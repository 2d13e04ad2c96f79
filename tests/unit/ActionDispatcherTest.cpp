// Recognising action strings: the classified text, the order of the kinds,
// the built-in operations, and the shell fallback with the string unchanged.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/ActionDispatcher.h"
#include "tests/unit/ActionTestSupport.h"

namespace tav {
namespace {

using Calls = std::vector<std::string>;

TEST(ClassifiedTextTest, CommentAndSurroundingBlanksAndControlsAreRemoved) {
  const struct {
    std::string action;
    std::string classified;
  } cases[] = {
      {" 关闭计算机 ", "关闭计算机"},
      {"关闭计算机 $$/关机", "关闭计算机"},
      {"$$/打开文件", ""},
      {"", ""},
      {"\t\r\n x y\x1f ", "x y"},
      {std::string("\0a\0", 3), "a"},
      {"a$$/b$$/c", "a"},
      {"a $ $/b $$", "a $ $/b $$"},
      {"\x7f"
       "a\x7f",
       "\x7f"
       "a\x7f"},
      {"  中文 ", "中文"},
  };
  for (const auto& [action, classified] : cases)
    EXPECT_EQ(ClassifiedText(action), classified) << action;
}

TEST(ClassifiedTextTest, ScriptExtensionIsTheTextAfterTheLastDotIgnoringCase) {
  const struct {
    const char* text;
    bool script;
  } cases[] = {
      {"D:\\Script\\copy.TSC", true},
      {"copy.tsc", true},
      {".Tsc", true},
      {"http://host/x.tsc", true},
      {"D:\\a.tsc\\b", false},
      {"D:\\a.tsc\\", false},
      {"a.tsc:stream", false},
      {"copy.tsc.bak", false},
      {"copy.tscx", false},
      {"copy.ts", false},
      {"copytsc", false},
      {"D:\\dir.d\\copy", false},
  };
  for (const auto& [text, script] : cases)
    EXPECT_EQ(HasScriptExtension(text), script) << text;
}

class ActionDispatcherTest : public ::testing::Test {
 protected:
  RecordingPlatform platform_;
  test::RecordingProgram program_{platform_};
  ActionDispatcher engine_{platform_, program_};
};

TEST_F(ActionDispatcherTest, ActionsAreRecognisedOrGoToTheShellUnchanged) {
  const Calls shutDown = {"SetShutdownPrivilege(1)", "ExitWindows(9)", "SetShutdownPrivilege(0)"};
  const struct {
    std::string action;
    bool handled;
    Calls calls;
  } cases[] = {
      {" 关闭计算机 ", true, shutDown},
      {"关闭计算机 $$/关机", true, shutDown},
      {"\t控制面板\r\n", true, {"WinExec(rundll32 shell32,Control_RunDLL,5)"}},
      {"$$/打开文件", true, {}},
      {"", true, {}},
      {"   ", true, {}},
      {"Key_Press:A", true, {"keybd_event(65,30,0)", "keybd_event(65,30,2)"}},
      {"Mouse_btn:MDown", true, {}},
      {"关闭计算机x", false, {"ShellOpen(关闭计算机x)"}},
      {"关闭 计算机", false, {"ShellOpen(关闭 计算机)"}},
      {"notepad.exe", false, {"ShellOpen(notepad.exe)"}},
      {"C:\\tools\\x.exe $$/note", false, {"ShellOpen(C:\\tools\\x.exe $$/note)"}},
      {"  http://example.com/ ", false, {"ShellOpen(  http://example.com/ )"}},
      {"mailto:someone@example.com", false, {"ShellOpen(mailto:someone@example.com)"}},
  };
  for (const auto& [action, handled, calls] : cases) {
    platform_.ClearCalls();
    engine_.RunAction(action);
    EXPECT_EQ(platform_.Calls(), calls) << action;
    if (!handled)
      continue;
    platform_.ClearCalls();
    EXPECT_TRUE(engine_.HandleAction(action)) << action;
  }
  EXPECT_FALSE(engine_.HandleAction("notepad.exe"));
}

TEST_F(ActionDispatcherTest, EveryBuiltInOperationDoesItsWork) {
  const struct {
    const char* name;
    Calls platformCalls;
    Calls programCalls;
  } operations[] = {
      {"关闭Tavrelin", {"RunOnUiThread"}, {"CloseMainWindow"}},
      {"显示Tavrelin", {"RunOnUiThread"}, {"ShowMainWindow"}},
      {"Tavrelin停止/开始工作", {"RunOnUiThread"}, {"TogglePause"}},
      {"关闭计算机", {"SetShutdownPrivilege(1)", "ExitWindows(9)", "SetShutdownPrivilege(0)"}, {}},
      {"重新启动计算机",
       {"SetShutdownPrivilege(1)", "ExitWindows(2)", "SetShutdownPrivilege(0)"},
       {}},
      {"显示关机对话框", {"RunOnUiThread", "ShowShutdownDialog"}, {}},
      {"打开/关闭光驱", {"mciSendString(Set  cdaudio  door  open  wait)"}, {}},
      {"控制面板", {"WinExec(rundll32 shell32,Control_RunDLL,5)"}, {}},
      {"添加/删除程序", {"WinExec(rundll32.exe shell32.dll, Control_RunDLL Appwiz.cpl,5)"}, {}},
      {"系统属性", {"RunOnUiThread", "ShowSystemProperties"}, {}},
      {"显示属性", {"WinExec(rundll32.exe shell32.dll, Control_RunDLL desk.cpl,5)"}, {}},
      {"日期/时间属性", {"WinExec(rundll32.exe shell32.dll, Control_RunDLL timedate.cpl,5)"}, {}},
  };
  for (const auto& [name, platformCalls, programCalls] : operations) {
    RecordingPlatform platform;
    test::RecordingProgram program(platform);
    ActionDispatcher engine(platform, program);
    EXPECT_TRUE(engine.HandleAction(name)) << name;
    EXPECT_EQ(platform.Calls(), platformCalls) << name;
    EXPECT_EQ(program.Calls(), programCalls) << name;
  }
}

TEST_F(ActionDispatcherTest, ScriptFileStartsARunWhateverTheCaseOfItsExtension) {
  // Names that are no files here: the run reports the missing script.
  for (const std::string action : {"D:\\Script\\copy.TSC", " http://host/x.tsc $$/run"}) {
    platform_.ClearCalls();
    EXPECT_TRUE(engine_.HandleAction(action)) << action;
    engine_.WaitForRuns();
    EXPECT_EQ(platform_.CallsStartingWith("MessageBox"),
              Calls{"MessageBox(您要执行的脚本文件不存在。|Tavrelin|48)"})
        << action;
    EXPECT_TRUE(platform_.CallsStartingWith("ShellOpen").empty()) << action;
  }
}

TEST_F(ActionDispatcherTest, CommandLinesComeBeforeScriptFiles) {
  // A paste whose text ends in ".tsc" pastes it.
  engine_.RunAction("PasteLine:D:\\a.tsc");
  engine_.WaitForRuns();
  EXPECT_EQ(platform_.CallsStartingWith("SetClipboardText"), Calls{"SetClipboardText(D:\\a.tsc)"});
  EXPECT_TRUE(platform_.CallsStartingWith("MessageBox").empty());
}

}  // namespace
}  // namespace tav
