// The script language and its runs: command prefixes, delays, the paste,
// script files read from disk, and runs on their own threads with their
// hand-offs to the user-interface thread and their end at program exit.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "actions/ActionDispatcher.h"
#include "actions/ScriptRunner.h"
#include "platform/Errors.h"
#include "storage/TextEncoding.h"
#include "tests/unit/ActionTestSupport.h"

namespace tav {
namespace {

using Calls = std::vector<std::string>;
using namespace std::chrono_literals;

const Calls kEndOfRun = {"RunOnUiThread", "keybd_event(16,0,2)", "keybd_event(17,0,2)",
                         "keybd_event(18,0,2)"};

Calls Concat(std::initializer_list<Calls> parts) {
  Calls all;
  for (const Calls& part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

bool Contains(const Calls& calls, const std::string& call) {
  return std::find(calls.begin(), calls.end(), call) != calls.end();
}

// --- Command lines -----------------------------------------------------------

TEST(ScriptCommandTest, NinePrefixesAreRecognisedWithTheirArgumentUnchanged) {
  const struct {
    const char* text;
    ScriptCommandKind kind;
    const char* argument;
  } commands[] = {
      {"PasteLine:a b", ScriptCommandKind::kPasteLine, "a b"},
      {"PasteLine:", ScriptCommandKind::kPasteLine, ""},
      {"Key_Press: A", ScriptCommandKind::kKeyPress, " A"},
      {"Key_Down~:Ctrl", ScriptCommandKind::kKeyDown, "Ctrl"},
      {"Key_Up~~~:Ctrl", ScriptCommandKind::kKeyUp, "Ctrl"},
      {"Mouse_btn:LDown", ScriptCommandKind::kMouseButton, "LDown"},
      {"Delay_ms~:200", ScriptCommandKind::kDelayMilliseconds, "200"},
      {"Delay_s~~:2", ScriptCommandKind::kDelaySeconds, "2"},
      {"Delay_m~~:1", ScriptCommandKind::kDelayMinutes, "1"},
      {"Delay_h~~:1", ScriptCommandKind::kDelayHours, "1"},
  };
  for (const auto& [text, kind, argument] : commands) {
    const auto command = ParseScriptCommand(text);
    ASSERT_TRUE(command) << text;
    EXPECT_EQ(command->kind, kind) << text;
    EXPECT_EQ(command->argument, argument) << text;
  }
}

TEST(ScriptCommandTest, NearMissesAreNoCommands) {
  for (const char* text :
       {"key_press:A", "KEY_PRESS:A", "Key_Press", "Key_Press;A", "Key_Down:Ctrl", "Key_Up~~:Ctrl",
        "Key_Up~~~~:Ctrl", "Delay_ms:5", "Delay_s~:5", "Delay_S~~:5", "PasteLine", "Pasteline:x",
        "Mouse_Btn:LDown", " Key_Press:A", "", "Key_"}) {
    EXPECT_FALSE(ParseScriptCommand(text)) << '"' << text << '"';
  }
}

TEST(ScriptCommandTest, DelaysConvertTheCountAndMultiplyByTheUnit) {
  const struct {
    const char* argument;
    int32_t unit;
    int32_t milliseconds;
  } delays[] = {
      {"200", 1, 200},
      {" 200", 1, 200},
      {"+5", 1, 5},
      {"0", 1000, 0},
      {"2", 1000, 2000},
      {"3", 60'000, 180'000},
      {"1", 3'600'000, 3'600'000},
      {"$FF", 1, 255},
      {"0x10", 1, 16},
      {"x10", 1000, 16'000},
      {"596", 3'600'000, 2'145'600'000},
  };
  for (const auto& [argument, unit, milliseconds] : delays)
    EXPECT_EQ(DelayMilliseconds(argument, unit), milliseconds) << argument << " x " << unit;
}

TEST(ScriptCommandTest, DelaysThatAreNoCountOrNoSensibleDurationAreRefused) {
  const struct {
    const char* argument;
    int32_t unit;
  } refused[] = {
      {"", 1},   {"abc", 1},       {"1.5", 1000},      {"200ms", 1},      {" ", 1},
      {"-1", 1}, {"$FFFFFFFF", 1}, {"597", 3'600'000}, {"2147484", 1000}, {"99999999999", 1},
  };
  for (const auto& [argument, unit] : refused) {
    try {
      DelayMilliseconds(argument, unit);
      ADD_FAILURE() << "accepted " << argument << " x " << unit;
    } catch (const ConversionError& error) {
      EXPECT_EQ(error.what(), "'" + std::string(argument) + "' is not a valid integer value");
    }
  }
}

TEST(ScriptCommandTest, LinesEndAtLineFeedAndCarriageReturnsAreDropped) {
  EXPECT_EQ(SplitScriptLines("a\r\nb\nc\rd\n\r\n\ne"), (Calls{"a", "b", "cd", "", "", "e"}));
  EXPECT_EQ(SplitScriptLines("x\r\n"), Calls{"x"});
  EXPECT_EQ(SplitScriptLines("x\r"), Calls{"x"});
  EXPECT_TRUE(SplitScriptLines("").empty());
}

// --- Single commands, as a hotkey's action on the user-interface thread ------

class ScriptLineTest : public ::testing::Test {
 protected:
  RecordingPlatform platform_;
  test::RecordingProgram program_{platform_};
  test::RecordingWaiter waiter_;
  ActionDispatcher engine_{platform_, program_, waiter_.Waiter()};
};

TEST_F(ScriptLineTest, DelayCommandsWaitTheirDuration) {
  for (const char* action :
       {"Delay_s~~:2", "Delay_h~~:1", "Delay_ms~: 200", "  Delay_m~~:1 $$/延时", "Delay_ms~:0"})
    engine_.RunAction(action);
  EXPECT_EQ(waiter_.Waits(), (std::vector<long long>{2000, 3'600'000, 200, 60'000, 0}));
  EXPECT_TRUE(platform_.Calls().empty());
}

TEST_F(ScriptLineTest, BadDelayOnTheUserInterfaceThreadReachesTheCaller) {
  for (const char* action : {"Delay_ms~:", "Delay_ms~:abc", "Delay_s~~:-1"}) {
    EXPECT_THROW(engine_.RunAction(action), ConversionError) << action;
  }
  try {
    engine_.RunAction("Delay_s~~:1,5");
  } catch (const ConversionError& error) {
    EXPECT_STREQ(error.what(), "'1,5' is not a valid integer value");
  }
  EXPECT_TRUE(waiter_.Waits().empty());
  EXPECT_TRUE(platform_.Calls().empty());
}

TEST_F(ScriptLineTest, MouseButtonsAndAnUnknownButton) {
  for (const char* action : {"Mouse_btn:LDown", "Mouse_btn:LUp", "Mouse_btn:RDown", "Mouse_btn:RUp",
                             "Mouse_btn:MDown", "Mouse_btn:ldown"})
    EXPECT_TRUE(engine_.HandleAction(action)) << action;
  EXPECT_EQ(platform_.Calls(),
            (Calls{"mouse_event(2)", "mouse_event(4)", "mouse_event(8)", "mouse_event(16)"}));
}

TEST_F(ScriptLineTest, KeyCommandsAfterTrimmingAndWithoutTouchingHeldModifiers) {
  platform_.SetKeyDown(17, true);  // the user still holds the hotkey's Ctrl
  engine_.RunAction("Key_Press:A $$/x");
  engine_.RunAction("  Key_Down~:Shift");
  engine_.RunAction("Key_Up~~~:Shift\t");
  EXPECT_EQ(platform_.Calls(), (Calls{"keybd_event(65,30,0)", "keybd_event(65,30,2)",
                                      "keybd_event(16,42,0)", "keybd_event(16,0,2)"}));
  EXPECT_EQ(platform_.KeysDown(), std::vector<int>{17});
}

TEST_F(ScriptLineTest, KeyNameWithABlankIsReportedAndNothingGoesToTheShell) {
  EXPECT_TRUE(engine_.HandleAction("Key_Press: A"));
  EXPECT_EQ(platform_.Calls(), (Calls{"RunOnUiThread", "MessageBox(无效按键|SendKeys|0)"}));
}

TEST_F(ScriptLineTest, LowerCaseCommandGoesToTheShellUnchanged) {
  engine_.RunAction("key_press:A");
  EXPECT_EQ(platform_.Calls(), Calls{"ShellOpen(key_press:A)"});
}

// --- The paste ---------------------------------------------------------------

const Calls kCtrlV = {"keybd_event(86,47,0)", "keybd_event(86,47,2)"};
const Calls kSuspend = {"SetClipboardText(abc)", "UnregisterHotKey(1)"};
const Calls kRestore = {"RegisterHotKey(1,2,81)"};

TEST_F(ScriptLineTest, PasteLiftsShiftAndAltForCtrlVAndPutsThemBack) {
  const struct {
    std::vector<uint8_t> held;
    Calls keys;
  } cases[] = {
      {{}, Concat({{"keybd_event(17,0,0)"}, kCtrlV, {"keybd_event(17,0,2)"}})},
      {{16},
       Concat({{"keybd_event(16,0,2)", "keybd_event(17,0,0)"},
               kCtrlV,
               {"keybd_event(17,0,2)", "keybd_event(16,0,0)"}})},
      {{18},
       Concat({{"keybd_event(18,0,2)", "keybd_event(17,0,0)"},
               kCtrlV,
               {"keybd_event(17,0,2)", "keybd_event(18,0,0)"}})},
      {{17}, kCtrlV},
      {{16, 17, 18},
       Concat({{"keybd_event(18,0,2)", "keybd_event(16,0,2)"},
               kCtrlV,
               {"keybd_event(18,0,0)", "keybd_event(16,0,0)"}})},
  };
  for (const auto& [held, keys] : cases) {
    RecordingPlatform platform;
    test::RecordingProgram program(platform);
    for (const uint8_t key : held)
      platform.SetKeyDown(key, true);
    PasteText(platform, program, "abc");
    EXPECT_EQ(platform.Calls(), Concat({kSuspend, keys, kRestore})) << held.size();
    EXPECT_EQ(program.Calls(), (Calls{"UnregisterHotkeys(true)", "RegisterAll"}));
    EXPECT_EQ(platform.KeysDown(), std::vector<int>(held.begin(), held.end()));
  }
}

TEST_F(ScriptLineTest, PasteLineIsHandedToTheUserInterfaceThread) {
  engine_.RunAction("PasteLine:a b $$/c");
  engine_.RunAction("PasteLine:");
  const Calls calls = platform_.Calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front(), "RunOnUiThread");
  EXPECT_EQ(platform_.CallsStartingWith("SetClipboardText"),
            (Calls{"SetClipboardText(a b)", "SetClipboardText()"}));
  EXPECT_EQ(platform_.CallsStartingWith("keybd_event(86"), Concat({kCtrlV, kCtrlV}));
}

// --- Script files --------------------------------------------------------------

class ScriptFileTest : public ScriptLineTest {
 protected:
  // Writes the script as code page 936 bytes and runs it to its end.
  void RunScript(const std::string& utf8Lines, const std::string& name = "test.tsc") {
    RunScriptBytes(Utf8ToCp936(utf8Lines), name);
  }
  void RunScriptBytes(const std::string& bytes, const std::string& name = "test.tsc") {
    engine_.RunAction(folder_.Write(name, bytes));
    engine_.WaitForRuns();
  }

  test::TempFolder folder_;
};

TEST_F(ScriptFileTest, LinesRunInOrderWithCommentsBlanksAndStrayCarriageReturns) {
  RunScript(
      "$$/复制\r\nKey_Down~:Ctrl\r\nKey_Press:C\r\nKey_Up~~~:Ctrl\r\n"
      "PasteLine:中文 $$/粘贴\r\n\r\n   \r\nMouse_btn:LD\rown\r\n"
      "Delay_ms~:200\nKey_Press:A");
  EXPECT_EQ(platform_.Calls(),
            Concat({{"keybd_event(17,29,0)", "keybd_event(67,0,0)", "keybd_event(67,0,2)",
                     "keybd_event(17,0,2)", "RunOnUiThread", "SetClipboardText(中文)",
                     "UnregisterHotKey(1)", "keybd_event(17,0,0)"},
                    kCtrlV,
                    {"keybd_event(17,0,2)", "RegisterHotKey(1,2,81)", "mouse_event(2)",
                     "keybd_event(65,30,0)", "keybd_event(65,30,2)"},
                    kEndOfRun}));
  EXPECT_EQ(waiter_.Waits(), std::vector<long long>{200});
  EXPECT_EQ(program_.Calls(),
            (Calls{"UnregisterHotkeys(true)", "RegisterAll", "ReleaseModifiers"}));
}

TEST_F(ScriptFileTest, BadDelayEndsTheRunSilentlyAndStillReleasesTheModifiers) {
  for (const char* delay : {"Delay_ms~:", "Delay_s~~:two", "Delay_s~~:-1", "Delay_h~~:1000"}) {
    platform_.ClearCalls();
    RunScript(std::string("Key_Down~:Shift\r\n") + delay + "\r\nKey_Press:B\r\n");
    EXPECT_EQ(platform_.Calls(), Concat({{"keybd_event(16,42,0)"}, kEndOfRun})) << delay;
    EXPECT_TRUE(platform_.KeysDown().empty());
  }
}

TEST_F(ScriptFileTest, ModifiersLeftDownAreReleasedAtTheEnd) {
  RunScript("Key_Down~:Ctrl\nKey_Down~:Alt\nKey_Down~:Shift\n");
  EXPECT_EQ(platform_.KeysDown().size(), 0u);
  EXPECT_EQ(program_.Count("ReleaseModifiers"), 1);
}

TEST_F(ScriptFileTest, EmptyScriptRunsNoLineButEndsLikeAnyRun) {
  RunScript("");
  EXPECT_EQ(platform_.Calls(), kEndOfRun);
}

TEST_F(ScriptFileTest, MissingScriptIsReportedAndTheRunStillEnds) {
  engine_.RunAction(folder_.PathOf("missing.tsc"));
  engine_.WaitForRuns();
  EXPECT_EQ(
      platform_.Calls(),
      Concat({{"RunOnUiThread", "MessageBox(您要执行的脚本文件不存在。|Tavrelin|48)"}, kEndOfRun}));
  EXPECT_EQ(program_.Count("ReleaseModifiers"), 1);
}

TEST_F(ScriptFileTest, TextThatIsNotCodePage936RunsNoLine) {
  RunScriptBytes("Key_Press:A\r\nPasteLine:\x81\x20\r\nKey_Press:B\r\n");
  EXPECT_EQ(platform_.Calls(), kEndOfRun);
}

TEST_F(ScriptFileTest, UnreadableCommentDoesNotStopTheLine) {
  RunScriptBytes("Key_Press:A $$/\x81\x20\r\n");
  EXPECT_EQ(platform_.Calls(),
            Concat({{"keybd_event(65,30,0)", "keybd_event(65,30,2)"}, kEndOfRun}));
}

TEST_F(ScriptFileTest, ScriptStartsASecondRunAndGoesOnWithoutWaiting) {
  const std::string second = folder_.Write("second.tsc", "Key_Press:B\r\n");
  RunScript(second + "  $$/starts the second script\r\nKey_Press:A\r\n", "first.tsc");
  const Calls calls = platform_.Calls();
  EXPECT_TRUE(Contains(calls, "keybd_event(65,30,0)"));
  EXPECT_TRUE(Contains(calls, "keybd_event(66,0,0)"));
  EXPECT_TRUE(platform_.CallsStartingWith("ShellOpen").empty());
  EXPECT_EQ(program_.Count("ReleaseModifiers"), 2);
}

// Both runs must be in their delay at the same time: a wait lets its run go
// on only once the other run has reached it too.
TEST(OverlappingRunsTest, TwoRunsOfTheSameScriptOverlapAndBothComplete) {
  RecordingPlatform platform;
  test::RecordingProgram program(platform);
  std::mutex mutex;
  std::condition_variable arrived;
  int waiting = 0;
  const DelayWaiter rendezvous = [&](std::chrono::milliseconds) {
    std::unique_lock lock(mutex);
    ++waiting;
    arrived.notify_all();
    return arrived.wait_for(lock, 5s, [&] { return waiting >= 2; });
  };
  ActionDispatcher engine(platform, program, rendezvous);
  test::TempFolder folder;
  const std::string script =
      folder.Write("twice.tsc", "Mouse_btn:LDown\r\nDelay_s~~:1\r\nMouse_btn:LUp\r\n");
  engine.RunAction(script);
  engine.RunAction(script);
  engine.WaitForRuns();
  EXPECT_EQ(platform.CallsStartingWith("mouse_event(4)").size(), 2u);
  EXPECT_EQ(program.Count("ReleaseModifiers"), 2);
}

// --- Runs with a real user-interface thread --------------------------------

class ScriptThreadTest : public ::testing::Test {
 protected:
  std::string Script(const std::string& utf8Lines) {
    return folder_.Write("script.tsc", Utf8ToCp936(utf8Lines));
  }
  // How long Shutdown takes.
  std::chrono::milliseconds TimedShutdown() {
    const auto start = std::chrono::steady_clock::now();
    engine_.Shutdown();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start);
  }

  test::UiThreadPlatform platform_;
  test::RecordingProgram program_{platform_};
  ActionDispatcher engine_{platform_, program_};
  test::TempFolder folder_;
};

TEST_F(ScriptThreadTest, WindowOperationsAndTheEndOfARunHappenOnTheUserInterfaceThread) {
  engine_.RunAction(Script("PasteLine:x\n显示Tavrelin\nTavrelin停止/开始工作\nKey_Press:A\n"));
  engine_.WaitForRuns();
  EXPECT_EQ(program_.Calls(), (Calls{"UnregisterHotkeys(true)", "RegisterAll", "ShowMainWindow",
                                     "TogglePause", "ReleaseModifiers"}));
  for (const std::string call : {"UnregisterHotkeys(true)", "ShowMainWindow", "ReleaseModifiers"})
    EXPECT_EQ(program_.ThreadsOf(call), std::vector{platform_.UiThreadId()}) << call;
  // Each step waited for the one before: the key press follows the paste.
  EXPECT_EQ(platform_.CallsStartingWith("keybd_event"),
            Concat({{"keybd_event(17,0,0)"},
                    kCtrlV,
                    {"keybd_event(17,0,2)", "keybd_event(65,30,0)", "keybd_event(65,30,2)",
                     "keybd_event(16,0,2)", "keybd_event(17,0,2)", "keybd_event(18,0,2)"}}));
}

TEST_F(ScriptThreadTest, UiThreadFailureEndsTheRunAndIsReported) {
  program_.onCall = [](const std::string& call) {
    if (call == "TogglePause")
      throw std::runtime_error("配置文件损坏");
  };
  engine_.RunAction(Script("Tavrelin停止/开始工作\nKey_Press:A\n"));
  engine_.WaitForRuns();
  EXPECT_EQ(platform_.CallsStartingWith("MessageBox"),
            Calls{"MessageBox(配置文件损坏|Tavrelin 4.6.0 Final|16)"});
  EXPECT_TRUE(platform_.CallsStartingWith("keybd_event(65").empty());
  EXPECT_EQ(program_.Count("ReleaseModifiers"), 1);
}

TEST_F(ScriptThreadTest, ShutdownCutsALongDelayShortAndReleasesTheModifiers) {
  engine_.RunAction(Script("Key_Down~:Ctrl\nDelay_h~~:1\nKey_Press:A\n"));
  ASSERT_TRUE(test::Eventually([&] { return platform_.IsKeyDown(17); }));
  EXPECT_LT(TimedShutdown(), 1000ms);
  EXPECT_TRUE(platform_.KeysDown().empty());
  EXPECT_TRUE(platform_.CallsStartingWith("keybd_event(65").empty());
}

TEST_F(ScriptThreadTest, RunWaitingForAClosedWindowEndsInsteadOfHanging) {
  // The user-interface thread is busy (a modal dialog, say) while a run
  // asks it for a paste; then the window goes away.
  std::promise<void> dialogClosed;
  std::thread dialog([&] { platform_.RunOnUiThread([&] { dialogClosed.get_future().wait(); }); });
  engine_.RunAction(Script("Key_Down~:Shift\nPasteLine:x\nKey_Press:A\n"));
  ASSERT_TRUE(
      test::Eventually([&] { return platform_.Pending() == 1 && platform_.IsKeyDown(16); }));
  engine_.RequestStop();
  platform_.CloseWindow();
  EXPECT_LT(TimedShutdown(), 1000ms);
  dialogClosed.set_value();
  dialog.join();
  EXPECT_TRUE(platform_.CallsStartingWith("SetClipboardText").empty());
  EXPECT_TRUE(platform_.CallsStartingWith("keybd_event(65").empty());
  EXPECT_TRUE(platform_.KeysDown().empty());
}

TEST_F(ScriptThreadTest, ClosingTheProgramFromAScriptEndsTheRun) {
  program_.onCall = [this](const std::string& call) {
    if (call == "CloseMainWindow")
      engine_.RequestStop();
  };
  engine_.RunAction(Script("关闭Tavrelin\nKey_Press:A\n"));
  engine_.WaitForRuns();
  EXPECT_EQ(program_.ThreadsOf("CloseMainWindow"), std::vector{platform_.UiThreadId()});
  EXPECT_TRUE(platform_.CallsStartingWith("keybd_event(65").empty());
  // Released by the run itself: the window takes no more calls.
  EXPECT_EQ(platform_.CallsStartingWith("keybd_event"),
            (Calls{"keybd_event(16,0,2)", "keybd_event(17,0,2)", "keybd_event(18,0,2)"}));
}

TEST_F(ScriptThreadTest, NoRunStartsOnceTheProgramIsEnding) {
  const std::string script = Script("Key_Press:A\n");
  engine_.RequestStop();
  EXPECT_TRUE(engine_.HandleAction(script));
  engine_.Shutdown();
  EXPECT_TRUE(platform_.Calls().empty());
}

}  // namespace
}  // namespace tav
