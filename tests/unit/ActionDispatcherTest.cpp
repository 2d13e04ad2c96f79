// Recognising action strings: the classified text, the order of the kinds,
// the built-in operations, and the shell fallback with the string unchanged.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "actions/ActionDispatcher.h"
#include "base/Errors.h"
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
  for (const auto& [text, script] : cases) EXPECT_EQ(HasScriptExtension(text), script) << text;
}

class ActionDispatcherTest : public test::RecordedEngineTest {};

TEST_F(ActionDispatcherTest, ActionsAreRecognisedOrGoToTheShellUnchanged) {
  const Calls shutDown = {"SetShutdownPrivilege(1)", "ExitWindows(9,0x80000000)",
                          "SetShutdownPrivilege(0)"};
  const Calls pressA = {"input(65,30,0)", "input(65,30,2)"};
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
      {"Key_Press:A", true, pressA},
      {"Key_Press:A $$/x", true, pressA},
      {"  Key_Down~:Shift", true, {"input(16,42,0)"}},
      {"Key_Up~~~:Shift\t", true, {"input(16,42,2)"}},
      {"Key_Press: A", true, {"RunOnUiThread", "MessageBox(无效按键|SendKeys|0)"}},
      {"Mouse_btn:LDown", true, {"mouse_event(2)"}},
      {"Mouse_btn:LUp", true, {"mouse_event(4)"}},
      {"Mouse_btn:RDown", true, {"mouse_event(8)"}},
      {"Mouse_btn:RUp", true, {"mouse_event(16)"}},
      {"Mouse_btn:MDown", true, {}},
      {"Delay_ms~:5", true, {}},
      {"key_press:A", false, {"ShellOpen(key_press:A)"}},
      {"关闭计算机x", false, {"ShellOpen(关闭计算机x)"}},
      {"关闭 计算机", false, {"ShellOpen(关闭 计算机)"}},
      {"notepad.exe", false, {"ShellOpen(notepad.exe)"}},
      {"C:\\tools\\x.exe $$/note", false, {"ShellOpen(C:\\tools\\x.exe $$/note)"}},
      {"  http://example.com/ ", false, {"ShellOpen(  http://example.com/ )"}},
  };
  for (const auto& [action, handled, calls] : cases) {
    platform_.ClearCalls();
    EXPECT_EQ(engine_.HandleAction(action), handled) << action;
    platform_.ClearCalls();
    engine_.RunAction(action);
    EXPECT_EQ(platform_.Calls(), calls) << action;
  }
}

TEST_F(ActionDispatcherTest, CommandsRunOnTheCallingThreadWithoutReleasingHeldKeys) {
  platform_.SetKeyDown(17, true);  // the user still holds the hotkey's Ctrl
  engine_.RunAction("Key_Press:A");
  EXPECT_EQ(platform_.KeysDown(), std::vector<int>{0xA2});
  for (const char* action :
       {"Delay_s~~:2", "Delay_h~~:1", "Delay_ms~: 200", " Delay_m~~:1 $$/延时"})
    engine_.RunAction(action);
  EXPECT_EQ(waits_, (std::vector<long long>{2000, 3'600'000, 200, 60'000}));
}

TEST_F(ActionDispatcherTest, BadDelayOnTheUserInterfaceThreadReachesTheCaller) {
  for (const char* action : {"Delay_ms~:", "Delay_ms~:abc", "Delay_s~~:-1"})
    EXPECT_THROW(engine_.RunAction(action), ConversionError) << action;
  EXPECT_TRUE(waits_.empty());
  EXPECT_TRUE(platform_.Calls().empty());
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
      {"关闭计算机",
       {"SetShutdownPrivilege(1)", "ExitWindows(9,0x80000000)", "SetShutdownPrivilege(0)"},
       {}},
      {"重新启动计算机",
       {"SetShutdownPrivilege(1)", "ExitWindows(2,0x80000000)", "SetShutdownPrivilege(0)"},
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
    engine.System().WaitForTrayCommands();
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
