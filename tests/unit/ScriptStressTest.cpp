// A storm of overlapping script runs on the recording platform with a real
// user-interface thread: keys, pastes, delays and nested runs while the
// hotkeys pause and resume and the scheme reloads, then program end in the
// middle of it all. Whatever the interleaving: the end comes in bounded
// time, every run ends, no key stays down, every run's thread is released.
// Run it under the tsan preset too, where a data race fails it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "actions/ActionDispatcher.h"
#include "base/TextEncoding.h"
#include "tests/unit/ActionTestSupport.h"

namespace tav {
namespace {

using namespace std::chrono_literals;

TEST(ScriptStressTest, HundredOverlappingRunsEndCleanlyInTheMiddleOfPauseAndReload) {
  test::UiThreadPlatform platform;
  test::RecordingProgram program(platform);
  ActionDispatcher engine(platform, program);
  test::TempFolder folder;
  const auto script = [&](const std::string& name, const std::string& lines) {
    return folder.Write(name, Utf8ToCp936(lines));
  };
  std::string typingLines;
  for (int i = 0; i < 10; ++i) {
    typingLines +=
        "Key_Down~:Shift\nKey_Press:A\nPasteLine:粘贴的文本\nDelay_ms~:2\nKey_Up~~~:Shift\n"
        "Key_Down~:Ctrl\nKey_Press:Home\nDelay_ms~:1\nMouse_btn:LDown\nMouse_btn:LUp\n";
  }
  const std::string typing = script("typing.tsc", typingLines);
  const std::string pausing = script(
      "pausing.tsc", "Tavrelin停止/开始工作\nKey_Press:B\nDelay_ms~:1\nTavrelin停止/开始工作\n");
  const std::string nesting = script(
      "nesting.tsc", typing + "\nKey_Down~:Alt\nPasteLine:x\n" + pausing + "\nDelay_ms~:3\n");
  const std::string waiting = script("waiting.tsc", "Key_Down~:Ctrl\nDelay_s~~:30\nKey_Press:Z\n");
  const std::vector<std::string> scripts = {typing, pausing, nesting, waiting};

  // The user-interface thread's own work meanwhile: hotkeys fired, pause
  // toggled from the menu, the scheme reloaded (all hotkeys registered anew).
  std::atomic<bool> stormOver{false};
  std::thread userInterface([&] {
    for (int i = 0; !stormOver; ++i) {
      platform.RunOnUiThread([&] {
        if (i % 3 == 0) program.TogglePause();
        program.UnregisterHotkeys(true);
        program.RegisterAll();
      });
      std::this_thread::sleep_for(1ms);
    }
  });
  for (int run = 0; run < 100; ++run) {
    // Fired hotkeys start their runs from the user-interface thread.
    platform.RunOnUiThread([&] { engine.RunAction(scripts[run % scripts.size()]); });
  }
  // Program end once the storm is under way: some pastes done, others not.
  ASSERT_TRUE(test::Eventually(
      [&] { return platform.CallsStartingWith("SetClipboardText").size() >= 20; }));
  const auto start = std::chrono::steady_clock::now();
  auto ended = std::async(std::launch::async, [&] {
    engine.RequestStop();
    platform.CloseWindow();
    engine.Shutdown();
  });
  ASSERT_EQ(ended.wait_for(10s), std::future_status::ready) << "the runs did not end";
  const auto took = std::chrono::steady_clock::now() - start;
  stormOver = true;
  userInterface.join();

  EXPECT_LT(took, 3s);
  EXPECT_TRUE(platform.KeysDown().empty());
  // Runs started by runs count too; each ran on a thread of its own that
  // was prepared and released again.
  EXPECT_GE(platform.PreparedThreads().size(), 100u);
  EXPECT_EQ(platform.ThreadsStillPrepared(), 0);
  EXPECT_TRUE(platform.CallsStartingWith("input(90").empty()) << "a 30 s delay ran out";
  std::printf(
      "storm: %zu runs, %zu pastes, %zu key events, end took %lld ms\n",
      platform.PreparedThreads().size(), platform.CallsStartingWith("SetClipboardText").size(),
      platform.CallsStartingWith("input").size(),
      static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
}

}  // namespace
}  // namespace tav
