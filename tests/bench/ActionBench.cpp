// The action engine's own costs: recognising an action string, starting a
// script run, the work per script line beyond the line's effect, and how
// closely a delay command keeps its time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "actions/ActionDispatcher.h"

namespace tav {
namespace {

using Clock = std::chrono::steady_clock;

// A platform that does nothing, so that only the engine is measured. The
// first injected event of a run stamps the time.
class NullPlatform : public Platform {
 public:
  std::atomic<Clock::rep> firstEvent{0};

  uint16_t GlobalAddAtom(const std::string&) override { return 0xC000; }
  void GlobalDeleteAtom(uint16_t) override {}
  bool RegisterHotKey(int, unsigned, unsigned) override { return true; }
  bool UnregisterHotKey(int) override { return true; }
  void SendKeys(const std::vector<KeyInput>&) override { Stamp(); }
  void MouseEvent(uint32_t) override { Stamp(); }
  unsigned MapVirtualKey(unsigned, unsigned) override { return 0; }
  int16_t VkKeyScan(char ch) override { return ch; }
  int16_t GetAsyncKeyState(int) override { return 0; }
  bool ForegroundWindowIsElevated() override { return false; }
  bool SetClipboardText(const std::string&) override { return true; }
  std::shared_ptr<void> PrepareRunThread() override { return nullptr; }
  std::optional<ClipboardContent> SaveClipboard() override { return std::nullopt; }
  void OfferClipboardText(const std::string&) override {}
  bool WaitForClipboardRead(uint32_t) override { return true; }
  void RestoreClipboard(const ClipboardContent&) override {}
  void ShellOpen(const std::string&) override {}
  void WinExec(const std::string&, int) override {}
  int MessageBox(const std::string&, const std::string&, unsigned) override { return mb::kIdOk; }
  void Sleep(uint32_t milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
  void RunOnUiThread(const std::function<void()>& call) override { call(); }
  bool IsWin9xPlatform() override { return false; }
  bool SetShutdownPrivilege(bool) override { return true; }
  void ExitWindows(unsigned, uint32_t) override {}
  void MciSendString(const std::string&) override {}
  std::vector<std::string> CdDrives() override { return {}; }
  void ShowShutdownDialog() override {}
  void ShowSystemProperties() override {}
  std::optional<std::string> ReadRunValue(RunKey, const std::string&) override { return ""; }
  bool WriteRunValue(RunKey, const std::string&, const std::string&) override { return true; }
  void DeleteRunValue(RunKey, const std::string&) override {}
  std::string ProgramFileName() override { return "C:\\Tavrelin\\tavrelin.exe"; }
  std::vector<DirectoryEntry> ListDirectory(const std::string&) override { return {}; }
  std::string ReadShellFolderValue(const std::string&) override { return {}; }
  std::string KnownFavoritesFolder() override { return {}; }

 private:
  void Stamp() {
    Clock::rep expected = 0;
    if (firstEvent.compare_exchange_strong(expected, Clock::now().time_since_epoch().count()))
      firstEvent.notify_all();
  }
};

class NullProgram : public ProgramControl {
 public:
  void CloseMainWindow() override {}
  void ShowMainWindow() override {}
  void TogglePause() override {}
  void UnregisterHotkeys(bool) override {}
  void RegisterAll() override {}
  void ShowNotice(const std::string&) override {}
};

std::string WriteScript(const std::string& name, const std::string& bytes) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       ("tavrelin-bench-" + std::to_string(std::random_device()()));
  std::filesystem::create_directories(folder);
  const std::filesystem::path file = folder / name;
  std::ofstream(file, std::ios::binary) << bytes;
  return file.string();
}

void RemoveScript(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(path).parent_path(), ignored);
}

// --- Recognition ----------------------------------------------------------------

void HandleActionOf(benchmark::State& state, const std::string& action) {
  NullPlatform platform;
  NullProgram program;
  ActionDispatcher engine(platform, program);
  for (auto _ : state) benchmark::DoNotOptimize(engine.HandleAction(action));
}
BENCHMARK_CAPTURE(HandleActionOf, built_in_first, std::string("关闭计算机"));
BENCHMARK_CAPTURE(HandleActionOf, built_in_last, std::string(" 日期/时间属性 $$/applet"));
BENCHMARK_CAPTURE(HandleActionOf, command_line, std::string("Key_Up~~~:Ctrl"));
BENCHMARK_CAPTURE(HandleActionOf, comment_only, std::string("   $$/复制"));
BENCHMARK_CAPTURE(HandleActionOf, shell_fallback,
                  std::string("C:\\Program Files\\Tools\\编辑器.exe $$/note"));

// A script file's recognition without starting its run.
void ClassifyScriptFile(benchmark::State& state) {
  const std::string action = "  D:\\Tavrelin\\Script\\复制粘贴.TSC $$/macro";
  for (auto _ : state) {
    const std::string_view text = ClassifiedText(action);
    benchmark::DoNotOptimize(!ParseScriptCommand(text) && HasScriptExtension(text));
  }
}
BENCHMARK(ClassifyScriptFile);

// --- Runs -------------------------------------------------------------------------

// From RunAction on a script file to the first event its run injects: the
// thread's start, the file read and the first line's dispatch.
void ScriptStartToFirstEvent(benchmark::State& state) {
  NullPlatform platform;
  NullProgram program;
  ActionDispatcher engine(platform, program);
  const std::string script = WriteScript("first.tsc", "Key_Up~~~:A\r\n");
  for (auto _ : state) {
    platform.firstEvent = 0;
    const Clock::time_point start = Clock::now();
    engine.RunAction(script);
    platform.firstEvent.wait(0);
    const Clock::rep stamp = platform.firstEvent.load();
    state.SetIterationTime(
        std::chrono::duration<double>(Clock::time_point(Clock::duration(stamp)) - start).count());
    engine.WaitForRuns();
  }
  RemoveScript(script);
}
BENCHMARK(ScriptStartToFirstEvent)->UseManualTime()->Unit(benchmark::kMicrosecond);

// A whole run of `lines` mouse-button lines, whose own work is one empty
// platform call each; the per-line figure is the engine's overhead.
void ScriptLines(benchmark::State& state) {
  const auto lines = static_cast<int>(state.range(0));
  std::string bytes;
  for (int i = 0; i < lines; ++i) bytes += "Mouse_btn:LUp\r\n";
  NullPlatform platform;
  NullProgram program;
  ActionDispatcher engine(platform, program);
  const std::string script = WriteScript("lines.tsc", bytes);
  for (auto _ : state) {
    engine.RunAction(script);
    engine.WaitForRuns();
  }
  if (lines > 0)
    state.counters["per_line"] = benchmark::Counter(
        lines, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  RemoveScript(script);
}
BENCHMARK(ScriptLines)->Arg(0)->Arg(10'000)->UseRealTime()->Unit(benchmark::kMillisecond);

// --- Delays -----------------------------------------------------------------------

// "Delay_ms~:200" through the engine's own wait, on the calling thread.
void Delay200Milliseconds(benchmark::State& state) {
  NullPlatform platform;
  NullProgram program;
  ActionDispatcher engine(platform, program);
  double longest = 0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    engine.HandleAction("Delay_ms~:200");
    longest =
        std::max(longest, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  state.counters["longest_ms"] = longest;
}
BENCHMARK(Delay200Milliseconds)->Iterations(20)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tav

BENCHMARK_MAIN();
