// The script language and its runs: command prefixes, delays, the paste,
// script files read from disk, and runs on their own threads with their
// hand-offs to the user-interface thread and their end at program exit.
#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "actions/ActionDispatcher.h"
#include "actions/RunControl.h"
#include "base/Errors.h"
#include "base/TextEncoding.h"
#include "tests/unit/ActionTestSupport.h"

namespace tav {
namespace {

using Calls = std::vector<std::string>;
using namespace std::chrono_literals;

// The paste's Ctrl+V with nobody holding a key: the left Ctrl and the V of
// the layout, each with its scan code.
const Calls kCtrlV = {"input(162,29,0)", "input(86,47,0)", "input(86,47,2)", "input(162,29,2)"};

Calls Concat(std::initializer_list<Calls> parts) {
  Calls all;
  for (const Calls& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(ScriptCommandTest, PrefixesAreExactlyTenBytesAndTheArgumentIsKept) {
  const struct {
    const char* text;
    ScriptCommandKind kind;
    const char* argument;
  } commands[] = {
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
  for (const char* text : {"key_press:A", "Key_Press", "Key_Press;A", "Key_Down:Ctrl",
                           "Key_Up~~:Ctrl", "Key_Up~~~~:Ctrl", "Delay_ms:5", "Delay_S~~:5",
                           "Pasteline:x", "Mouse_Btn:LDown", " Key_Press:A", ""})
    EXPECT_FALSE(ParseScriptCommand(text)) << '"' << text << '"';
}

TEST(ScriptCommandTest, DelayIsTheCountTimesTheUnit) {
  const struct {
    const char* argument;
    int32_t unit;
    int32_t milliseconds;
  } delays[] = {
      {" 200", 1, 200}, {"+5", 1, 5},    {"0", 1000, 0},        {"3", 60'000, 180'000},
      {"$FF", 1, 255},  {"0x10", 1, 16}, {"x10", 1000, 16'000}, {"596", 3'600'000, 2'145'600'000},
  };
  for (const auto& [argument, unit, milliseconds] : delays)
    EXPECT_EQ(DelayMilliseconds(argument, unit), milliseconds) << argument << " x " << unit;
}

TEST(ScriptCommandTest, DelayThatIsNoCountOrNegativeOrTooLongIsRefused) {
  const struct {
    const char* argument;
    int32_t unit;
  } refused[] = {{"", 1},   {"abc", 1},       {"1.5", 1000},      {"200ms", 1},
                 {"-1", 1}, {"$FFFFFFFF", 1}, {"597", 3'600'000}, {"99999999999", 1}};
  for (const auto& [argument, unit] : refused) {
    try {
      DelayMilliseconds(argument, unit);
      ADD_FAILURE() << "accepted " << argument << " x " << unit;
    } catch (const ConversionError& error) {
      EXPECT_EQ(error.what(), "'" + std::string(argument) + "' is not a valid integer value");
    }
  }
}

TEST(DelayTest, LastStretchOfADelayIsTheSystemsPreciseSleep) {
  // The coarse wait may wake a timer tick (15.6 ms) late: only the last
  // stretch is left to the platform's sleep, which keeps to the millisecond.
  const struct {
    int ms;
    int leastSlept;
    int mostSlept;
  } cases[] = {{0, 0, 0}, {5, 5, 5}, {100, 15, 20}};
  for (const auto& c : cases) {
    RecordingPlatform platform;
    RunControl control(platform);
    EXPECT_TRUE(control.WaitFor(std::chrono::milliseconds(c.ms)));
    const std::vector<std::string> sleeps = platform.CallsStartingWith("Sleep(");
    if (c.mostSlept == 0) {
      EXPECT_TRUE(sleeps.empty()) << c.ms;
      continue;
    }
    ASSERT_EQ(sleeps.size(), 1u) << c.ms;
    const int slept = std::stoi(sleeps[0].substr(6));
    EXPECT_GE(slept, c.leastSlept) << c.ms;
    EXPECT_LE(slept, c.mostSlept) << c.ms;
  }
}

TEST(ScriptCommandTest, LinesEndAtLineFeedAndCarriageReturnsAreDropped) {
  EXPECT_EQ(SplitScriptLines("a\r\nb\nc\rd\n\r\n\ne\r"), (Calls{"a", "b", "cd", "", "", "e"}));
  EXPECT_TRUE(SplitScriptLines("").empty());
}

// The modifier keys the user holds, of either hand, are let go with their
// own scan codes and extended flags, Ctrl+V goes out, and they are pressed
// again: one batch. Alt and the Windows keys are masked before their release
// and after their return, so neither is a bare tap.
TEST(PasteTextTest, HeldModifiersOfEitherHandAreLiftedForCtrlVAndPutBack) {
  const Calls mask = {"input(232,0,0)", "input(232,0,2)"};
  const struct {
    const char* name;
    std::vector<int> held;
    Calls keys;
  } cases[] = {
      {"nothing held", {}, kCtrlV},
      {"left Shift", {0xA0}, Concat({{"input(160,42,2)"}, kCtrlV, {"input(160,42,0)"}})},
      {"right Shift", {0xA1}, Concat({{"input(161,54,2)"}, kCtrlV, {"input(161,54,0)"}})},
      {"left Ctrl", {0xA2}, Concat({{"input(162,29,2)"}, kCtrlV, {"input(162,29,0)"}})},
      {"right Ctrl and right Alt",
       {0xA3, 0xA5},
       Concat({mask,
               {"input(163,29,3)", "input(165,56,3)"},
               kCtrlV,
               {"input(163,29,1)", "input(165,56,1)"},
               mask})},
      {"AltGr: left Ctrl and right Alt",
       {0xA2, 0xA5},
       Concat({mask,
               {"input(162,29,2)", "input(165,56,3)"},
               kCtrlV,
               {"input(162,29,0)", "input(165,56,1)"},
               mask})},
      {"left Alt and left Shift",
       {0xA0, 0xA4},
       Concat({mask,
               {"input(160,42,2)", "input(164,56,2)"},
               kCtrlV,
               {"input(160,42,0)", "input(164,56,0)"},
               mask})},
      {"Windows keys",
       {0x5B, 0x5C},
       Concat({mask,
               {"input(91,91,3)", "input(92,92,3)"},
               kCtrlV,
               {"input(91,91,1)", "input(92,92,1)"},
               mask})},
  };
  for (const auto& [name, held, keys] : cases) {
    RecordingPlatform platform;
    test::RecordingProgram program(platform);
    for (const int key : held) platform.SetKeyDown(static_cast<uint8_t>(key), true);
    PasteText(platform, program, "abc");
    EXPECT_EQ(platform.Calls(), Concat({{"SetClipboardText(abc)", "UnregisterHotKey(1)"},
                                        keys,
                                        {"RegisterHotKey(1,2,81)"}}))
        << name;
    EXPECT_EQ(platform.Batches().size(), 1u) << name;
    EXPECT_EQ(program.Calls(), (Calls{"UnregisterHotkeys(true)", "RegisterAll"})) << name;
    EXPECT_EQ(platform.KeysDown(), held) << name << ": the user's keys are down again, no other";
  }
}

// The system drops keys sent to an elevated program without a word: the
// user is told instead, and neither the clipboard nor a key is touched.
TEST(PasteTextTest, ElevatedTargetIsToldAboutAndGetsNothing) {
  RecordingPlatform platform;
  test::RecordingProgram program(platform);
  platform.SetForegroundElevated(true);
  PasteText(platform, program, "abc");
  EXPECT_TRUE(platform.Calls().empty());
  EXPECT_EQ(program.Calls(),
            Calls{"ShowNotice(目标程序以管理员身份运行，无法向其发送按键或粘贴。)"});
}

// A clipboard held by another program keeps its old content (a password,
// say): Ctrl+V would paste that, so nothing is sent and the paste fails.
TEST(PasteTextTest, ClipboardThatCannotBeFilledSendsNothingAndFails) {
  RecordingPlatform platform;
  test::RecordingProgram program(platform);
  platform.SetClipboardBusy(true);
  platform.SetKeyDown(16, true);
  try {
    PasteText(platform, program, "abc");
    ADD_FAILURE() << "the paste went on";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), kPasteFailedMessage);
  }
  EXPECT_EQ(platform.Calls(), Calls{"SetClipboardText(abc)"});
  EXPECT_TRUE(program.Calls().empty());
  EXPECT_EQ(platform.KeysDown(), std::vector<int>{0xA0});
}

// The content followed by the markers that keep it out of the clipboard
// history and the cloud clipboard.
ClipboardContent Private(ClipboardContent content) {
  for (ClipboardFormatData& marker : RecordingPlatform::PrivateMarkers())
    content.push_back(std::move(marker));
  return content;
}

TEST(PasteTextTest, RestoringPasteHandsTheTextOverAndPutsTheEarlierContentBack) {
  // Text in two forms and a picture: every format comes back as it was.
  const ClipboardContent earlier = {
      {RecordingPlatform::kUnicodeTextFormat, std::string("e\0a\0", 4)},
      {1, "ea"},
      {8, std::string("BM\0\x01\xff", 5)},
  };
  const struct {
    const char* name;
    std::optional<ClipboardContent> before;
    bool read;
    Calls calls;
    std::optional<ClipboardContent> after;
  } cases[] = {
      {"read by the target", earlier, true,
       Concat({{"SaveClipboard", "OfferClipboardText(abc)", "UnregisterHotKey(1)"},
               kCtrlV,
               {"WaitForClipboardRead(2000)", "RestoreClipboard(3)", "RegisterHotKey(1,2,81)"}}),
       Private(earlier)},
      {"an empty clipboard is empty again", ClipboardContent{}, true,
       Concat({{"SaveClipboard", "OfferClipboardText(abc)", "UnregisterHotKey(1)"},
               kCtrlV,
               {"WaitForClipboardRead(2000)", "RestoreClipboard(0)", "RegisterHotKey(1,2,81)"}}),
       Private({})},
      {"never read: restored after the wait", earlier, false,
       Concat({{"SaveClipboard", "OfferClipboardText(abc)", "UnregisterHotKey(1)"},
               kCtrlV,
               {"WaitForClipboardRead(2000)", "RestoreClipboard(3)", "RegisterHotKey(1,2,81)"}}),
       Private(earlier)},
      {"clipboard cannot be opened: a plain paste", std::nullopt, true,
       Concat({{"SaveClipboard", "SetClipboardText(abc)", "UnregisterHotKey(1)"},
               kCtrlV,
               {"RegisterHotKey(1,2,81)"}}),
       std::nullopt},
  };
  for (const auto& c : cases) {
    RecordingPlatform platform;
    test::RecordingProgram program(platform);
    program.restoreClipboard = true;
    platform.SetClipboardContent(c.before);
    platform.SetClipboardReadByTarget(c.read);
    PasteText(platform, program, "abc");
    EXPECT_EQ(platform.Calls(), c.calls) << c.name;
    EXPECT_EQ(platform.ClipboardFormats(), c.after) << c.name;
  }

  // Off: the clipboard keeps the pasted text, as it always did, marked to
  // stay out of the clipboard history and the cloud clipboard.
  RecordingPlatform platform;
  test::RecordingProgram program(platform);
  platform.SetClipboardContent(earlier);
  PasteText(platform, program, "abc");
  EXPECT_EQ(platform.ClipboardFormats(), Private({{RecordingPlatform::kUnicodeTextFormat, "abc"}}));
}

// --- Script files, with a user-interface thread that runs hand-offs inline ---

class ScriptFileTest : public test::RecordedEngineTest {
 protected:
  // Writes the script as code page 936 bytes and runs it to its end.
  void RunScript(const std::string& utf8Lines) { RunScriptBytes(Utf8ToCp936(utf8Lines)); }
  void RunScriptBytes(const std::string& bytes) {
    engine_.RunAction(folder_.Write("test.tsc", bytes));
    engine_.WaitForRuns();
  }

  test::TempFolder folder_;
};

TEST_F(ScriptFileTest, LinesRunInOrderWithCommentsBlanksAndStrayCarriageReturns) {
  RunScript(
      "$$/复制\r\nKey_Down~:Ctrl\r\nKey_Press:C\r\nKey_Up~~~:Ctrl\r\n"
      "PasteLine:中文 $$/粘贴\r\n\r\n   \r\nMouse_btn:LD\rown\r\n"
      "Delay_ms~: 200\nKey_Press:A");
  EXPECT_EQ(
      platform_.Calls(),
      Concat({{"input(17,29,0)", "input(67,0,0)", "input(67,0,2)", "input(17,29,2)",
               "RunOnUiThread", "SetClipboardText(中文)", "UnregisterHotKey(1)"},
              kCtrlV,
              {"RegisterHotKey(1,2,81)", "mouse_event(2)", "input(65,30,0)", "input(65,30,2)"}}));
  EXPECT_EQ(waits_, std::vector<long long>{200});
  EXPECT_EQ(program_.Calls(), (Calls{"UnregisterHotkeys(true)", "RegisterAll"}));
}

TEST_F(ScriptFileTest, BadDelayEndsTheRunSilentlyAndStillReleasesItsKeys) {
  for (const char* delay : {"Delay_ms~:", "Delay_s~~:two", "Delay_s~~:-1", "Delay_h~~:1000"}) {
    platform_.ClearCalls();
    RunScript(std::string("Key_Down~:Shift\r\n") + delay + "\r\nKey_Press:B\r\n");
    EXPECT_EQ(platform_.Calls(), (Calls{"input(16,42,0)", "input(16,42,2)"})) << delay;
    EXPECT_TRUE(platform_.KeysDown().empty());
  }
}

// The run's end lets go of what the run left down, the last pressed first,
// each key as it went down; the keys the user holds stay down, and a key the
// run let go itself gets no second key-up.
TEST_F(ScriptFileTest, KeysTheRunLeftDownAreReleasedAtTheEndAndTheUsersStayDown) {
  platform_.SetKeyDown(0xA1, true);  // the user holds the right Shift
  RunScript("Key_Down~:Ctrl\nKey_Down~:Delete\nKey_Down~:A\nKey_Up~~~:A\nKey_Down~:Alt\n");
  EXPECT_EQ(platform_.Calls(),
            (Calls{"input(17,29,0)", "input(46,83,1)", "input(65,30,0)", "input(65,30,2)",
                   "input(18,56,0)", "input(18,56,2)", "input(46,83,3)", "input(17,29,2)"}));
  EXPECT_EQ(platform_.KeysDown(), std::vector<int>{0xA1});
}

TEST_F(ScriptFileTest, EmptyScriptRunsNoLine) {
  RunScript("");
  EXPECT_TRUE(platform_.Calls().empty());
}

// Keys of a run whose target runs elevated are not sent; the user is told
// once for the run.
TEST_F(ScriptFileTest, ElevatedTargetIsToldAboutOncePerRun) {
  platform_.SetForegroundElevated(true);
  RunScript("Key_Press:A\nKey_Down~:B\nKey_Press:C\n");
  EXPECT_TRUE(platform_.CallsStartingWith("input").empty());
  EXPECT_EQ(program_.Calls(),
            Calls{"ShowNotice(目标程序以管理员身份运行，无法向其发送按键或粘贴。)"});
}

TEST_F(ScriptFileTest, MissingScriptIsReportedAndTheRunStillEnds) {
  engine_.RunAction(folder_.PathOf("missing.tsc"));
  engine_.WaitForRuns();
  EXPECT_EQ(platform_.Calls(),
            (Calls{"RunOnUiThread", "MessageBox(您要执行的脚本文件不存在。|Tavrelin|48)"}));
}

TEST_F(ScriptFileTest, TextThatIsNotCodePage936RunsNoLineUnlessOnlyACommentIsBad) {
  RunScriptBytes("Key_Press:A\r\nPasteLine:\x81\x20\r\nKey_Press:B\r\n");
  const std::string box = "MessageBox(脚本文件“" + folder_.PathOf("test.tsc") +
                          "”的第 2 行不是 GB2312 文本，脚本没有执行。|Tavrelin 4.6.0 Final|16)";
  EXPECT_EQ(platform_.Calls(), (Calls{"RunOnUiThread", box}));
  platform_.ClearCalls();
  // A UTF-8 script (the usual mistake) names its first line that is not GB2312.
  RunScriptBytes("Key_Press:A\r\n$$/注释\r\n\r\nPasteLine:" + std::string("\xE4\xB8\xAD") + "\r\n");
  EXPECT_EQ(platform_.CallsStartingWith("MessageBox"),
            Calls{"MessageBox(脚本文件“" + folder_.PathOf("test.tsc") +
                  "”的第 4 行不是 GB2312 文本，脚本没有执行。|Tavrelin 4.6.0 Final|16)"});
  EXPECT_TRUE(platform_.CallsStartingWith("input(65").empty());
  platform_.ClearCalls();
  RunScriptBytes("Key_Press:A $$/\x81\x20\r\n");
  EXPECT_EQ(platform_.Calls(), (Calls{"input(65,30,0)", "input(65,30,2)"}));
}

TEST_F(ScriptFileTest, PasteThatCannotFillTheClipboardEndsTheRunWithAMessage) {
  platform_.SetClipboardBusy(true);
  RunScript("PasteLine:abc\r\nKey_Press:A\r\n");
  EXPECT_EQ(platform_.CallsStartingWith("MessageBox"),
            Calls{"MessageBox(" + std::string(kPasteFailedMessage) + "|Tavrelin 4.6.0 Final|16)"});
  EXPECT_TRUE(platform_.CallsStartingWith("input(86").empty());
  EXPECT_TRUE(platform_.CallsStartingWith("input(65").empty());
  EXPECT_TRUE(platform_.KeysDown().empty());
}

// Lines have no length limit: a megabyte pastes whole, and a megabyte key
// name is just a name that gives no key.
TEST_F(ScriptFileTest, LineOfAMegabyteRunsWhole) {
  const std::string text(1 << 20, 'x');
  RunScriptBytes("PasteLine:" + text + "\r\nKey_Press:" + text + "\r\nKey_Press:A\r\n");
  EXPECT_EQ(platform_.Clipboard(), text);
  EXPECT_EQ(platform_.CallsStartingWith("MessageBox"), Calls{"MessageBox(无效按键|SendKeys|0)"});
  EXPECT_EQ(platform_.CallsStartingWith("input(65").size(), 2u);
}

TEST_F(ScriptFileTest, ScriptStartsASecondRunAndGoesOnWithoutWaiting) {
  const std::string second = folder_.Write("second.tsc", "Key_Press:B\r\n");
  RunScript(second + "  $$/the second script\r\nKey_Press:A\r\n");
  const Calls keys = platform_.CallsStartingWith("input(6");
  EXPECT_EQ(std::count(keys.begin(), keys.end(), "input(65,30,0)"), 1);
  EXPECT_EQ(std::count(keys.begin(), keys.end(), "input(66,0,0)"), 1);
}

// Both runs must be in their delay at the same time: a wait lets its run go
// on only once the other run has reached it too.
TEST(OverlappingRunsTest, TwoRunsOfTheSameScriptOverlapAndBothComplete) {
  RecordingPlatform platform;
  test::RecordingProgram program(platform);
  std::mutex mutex;
  std::condition_variable arrived;
  int waiting = 0;
  ActionDispatcher engine(platform, program, [&](std::chrono::milliseconds) {
    std::unique_lock lock(mutex);
    ++waiting;
    arrived.notify_all();
    return arrived.wait_for(lock, 5s, [&] { return waiting >= 2; });
  });
  test::TempFolder folder;
  const std::string script = folder.Write("twice.tsc", "Delay_s~~:1\r\nMouse_btn:LUp\r\n");
  engine.RunAction(script);
  engine.RunAction(script);
  engine.WaitForRuns();
  EXPECT_EQ(platform.CallsStartingWith("mouse_event(4)").size(), 2u);
}

// --- Runs with a real user-interface thread --------------------------------

class ScriptThreadTest : public ::testing::Test {
 protected:
  std::string Script(const std::string& utf8Lines) {
    return folder_.Write("script.tsc", Utf8ToCp936(utf8Lines));
  }
  // How long Shutdown takes on the calling thread.
  std::chrono::milliseconds TimedShutdown() {
    const auto start = std::chrono::steady_clock::now();
    engine_.Shutdown();
    return Since(start);
  }
  // How long Shutdown takes on the user-interface thread while the window
  // still takes calls. Should it deadlock, closing the window frees it so
  // that the test can end.
  std::chrono::milliseconds TimedShutdownOnUiThread() {
    const auto start = std::chrono::steady_clock::now();
    auto done = std::async(std::launch::async,
                           [this] { platform_.RunOnUiThread([this] { engine_.Shutdown(); }); });
    if (done.wait_for(2s) != std::future_status::ready) platform_.CloseWindow();
    done.wait();
    return Since(start);
  }
  static std::chrono::milliseconds Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start);
  }

  test::UiThreadPlatform platform_;
  test::RecordingProgram program_{platform_};
  ActionDispatcher engine_{platform_, program_};
  test::TempFolder folder_;
};

TEST_F(ScriptThreadTest, WindowOperationsHappenOnTheUserInterfaceThread) {
  engine_.RunAction(Script("PasteLine:x\n显示Tavrelin\nTavrelin停止/开始工作\nKey_Press:A\n"));
  engine_.WaitForRuns();
  EXPECT_EQ(program_.Calls(),
            (Calls{"UnregisterHotkeys(true)", "RegisterAll", "ShowMainWindow", "TogglePause"}));
  for (const std::string call : {"UnregisterHotkeys(true)", "ShowMainWindow"})
    EXPECT_EQ(program_.ThreadsOf(call), std::vector{platform_.UiThreadId()}) << call;
  // Each step waited for the one before: the key press follows the paste.
  EXPECT_EQ(platform_.CallsStartingWith("input"),
            Concat({kCtrlV, {"input(65,30,0)", "input(65,30,2)"}}));
}

// The shell needs COM on the thread that calls it: every run's own thread
// is prepared before its first line and released on that thread at its end.
TEST_F(ScriptThreadTest, EveryRunThreadIsPreparedForTheShellAndReleasedOnIt) {
  const std::string second = folder_.Write("second.tsc", "www.example.com\r\n");
  engine_.RunAction(Script(second + "\nnotepad.exe\n"));
  engine_.WaitForRuns();
  EXPECT_EQ(platform_.CallsStartingWith("ShellOpen").size(), 2u);
  const std::vector<std::thread::id> prepared = platform_.PreparedThreads();
  ASSERT_EQ(prepared.size(), 2u);
  EXPECT_NE(prepared[0], prepared[1]);
  for (const std::thread::id thread : prepared) {
    EXPECT_NE(thread, std::this_thread::get_id());
    EXPECT_NE(thread, platform_.UiThreadId());
  }
  EXPECT_EQ(platform_.ThreadsStillPrepared(), 0);
}

// Resuming reopens the scheme, which fails in as many ways as a file can be
// damaged; whatever the kind of error, the run ends and it is shown once.
TEST_F(ScriptThreadTest, UiThreadFailureOfAnyKindEndsTheRunAndIsShownOnce) {
  const std::vector<std::function<void()>> failures = {
      [] { throw std::runtime_error("配置文件损坏"); }, [] { throw Error("配置文件损坏"); },
      [] { throw ConversionError("配置文件损坏"); },    [] { throw FileError("配置文件损坏"); },
      [] { throw EncodingError("配置文件损坏"); },
  };
  for (size_t i = 0; i < failures.size(); ++i) {
    platform_.ClearCalls();
    program_.onCall = [&](const std::string& call) {
      if (call == "TogglePause") failures[i]();
    };
    engine_.RunAction(Script("Tavrelin停止/开始工作\nKey_Press:A\n"));
    engine_.WaitForRuns();
    const Calls boxes = platform_.CallsStartingWith("MessageBox");
    ASSERT_EQ(boxes.size(), 1u) << "kind " << i;
    EXPECT_NE(boxes[0].find("配置文件损坏"), std::string::npos) << boxes[0];
    EXPECT_TRUE(platform_.CallsStartingWith("input(65").empty());
  }
}

TEST_F(ScriptThreadTest, ShutdownCutsALongDelayShortAndReleasesTheRunsKeys) {
  engine_.RunAction(Script("Key_Down~:Ctrl\nDelay_h~~:1\nKey_Press:A\n"));
  ASSERT_TRUE(test::Eventually([&] { return platform_.IsKeyDown(17); }));
  EXPECT_LT(TimedShutdownOnUiThread(), 1000ms);
  EXPECT_TRUE(platform_.KeysDown().empty());
  EXPECT_TRUE(platform_.CallsStartingWith("input(65").empty());
}

TEST_F(ScriptThreadTest, RunWaitingForAClosedWindowEndsInsteadOfHanging) {
  // The user-interface thread is busy (a modal dialog, say) while a run
  // asks it for a paste; then the window goes away.
  std::promise<void> dialogOpen, dialogClosed;
  std::thread dialog([&] {
    platform_.RunOnUiThread([&] {
      dialogOpen.set_value();
      dialogClosed.get_future().wait();
    });
  });
  dialogOpen.get_future().wait();
  engine_.RunAction(Script("Key_Down~:Shift\nPasteLine:x\nKey_Press:A\n"));
  ASSERT_TRUE(
      test::Eventually([&] { return platform_.Pending() == 1 && platform_.IsKeyDown(16); }));
  engine_.RequestStop();
  platform_.CloseWindow();
  EXPECT_LT(TimedShutdown(), 1000ms);
  dialogClosed.set_value();
  dialog.join();
  EXPECT_TRUE(platform_.CallsStartingWith("SetClipboardText").empty());
  EXPECT_TRUE(platform_.CallsStartingWith("input(65").empty());
  EXPECT_TRUE(platform_.KeysDown().empty());
}

TEST_F(ScriptThreadTest, ClosingTheProgramFromAScriptEndsTheRun) {
  program_.onCall = [this](const std::string& call) {
    if (call == "CloseMainWindow") engine_.RequestStop();
  };
  engine_.RunAction(Script("Key_Down~:Shift\n关闭Tavrelin\nKey_Press:A\n"));
  engine_.WaitForRuns();
  EXPECT_EQ(program_.ThreadsOf("CloseMainWindow"), std::vector{platform_.UiThreadId()});
  // The run lets go of its Shift itself, though the window takes no more calls.
  EXPECT_EQ(platform_.CallsStartingWith("input"), (Calls{"input(16,42,0)", "input(16,42,2)"}));
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
