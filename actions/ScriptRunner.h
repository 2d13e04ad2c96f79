// The script language and its runner. A script file (code page 936 text,
// extension ".tsc") holds one action string per line; a line whose
// classified text starts with one of nine 10-byte command prefixes is a
// command (paste, key, mouse button, delay), any other line is an action
// string like a hotkey's. Every run of a script has its own thread; any
// number of runs may overlap.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "actions/ProgramControl.h"
#include "actions/RunControl.h"
#include "actions/SendKeys.h"
#include "platform/Platform.h"

namespace tav {

enum class ScriptLineResult { kOk, kNotOk };

enum class ScriptCommandKind {
  kPasteLine,
  kKeyPress,
  kKeyDown,
  kKeyUp,
  kMouseButton,
  kDelayMilliseconds,
  kDelaySeconds,
  kDelayMinutes,
  kDelayHours,
};

struct ScriptCommand {
  ScriptCommandKind kind;
  std::string_view argument;  // the text after the prefix, unchanged
};

// The command that a classified text starts with, if any.
std::optional<ScriptCommand> ParseScriptCommand(std::string_view classified);

// Milliseconds of a delay: the argument converted as an integer (StrToInt)
// times the unit. A negative count, or a product beyond the 32-bit signed
// range, is refused like a text that is no integer (ConversionError).
int32_t DelayMilliseconds(std::string_view argument, int32_t unitMilliseconds);

// The lines of a script file's bytes, without their line ends: a line ends
// at LF, and CR is dropped wherever it stands.
std::vector<std::string> SplitScriptLines(std::string_view bytes);

// The message of a paste whose text could not be placed on the clipboard.
inline constexpr const char* kPasteFailedMessage =
    "无法把文本放到剪贴板上（剪贴板被其他程序占用），没有粘贴。";

// What the user is told when the foreground window takes no keys from us.
inline constexpr const char* kElevatedTargetMessage =
    "目标程序以管理员身份运行，无法向其发送按键或粘贴。";

// Pastes `text` into the focused window through the clipboard and Ctrl+V,
// with every hotkey suspended meanwhile and the modifier keys the user holds
// lifted for the keystroke (PasteKeystrokes). When the foreground window
// belongs to an elevated program nothing is done but telling the user. Call it on the
// user-interface thread. When the text cannot be placed on the clipboard nothing is sent (Ctrl+V
// would paste what the clipboard held before) and Error kPasteFailedMessage is thrown. When the
// program restores the clipboard after a paste, the earlier content is saved first and put back
// once the target has read the text. `sending`, when given, is held while the
// keys down are read and the keystroke is sent (see SendKeyAction).
void PasteText(Platform& platform, ProgramControl& program, const std::string& text,
               std::mutex* sending = nullptr);

// How a delay command waits: answers false when the wait was cut short
// because the program is ending. The engine's own waits on RunControl;
// tests put a recorder in its place.
using DelayWaiter = std::function<bool(std::chrono::milliseconds)>;

class ScriptRunner {
 public:
  using ActionRunner = std::function<void(const std::string& action)>;

  // `runAction` carries out one line of a script (the dispatcher's
  // RunAction); an empty `waiter` means RunControl::WaitFor.
  ScriptRunner(Platform& platform, ProgramControl& program, RunControl& runControl,
               ActionRunner runAction, DelayWaiter waiter);
  // Waits for the runs under way; request the stop first to cut them short.
  ~ScriptRunner();
  ScriptRunner(const ScriptRunner&) = delete;
  ScriptRunner& operator=(const ScriptRunner&) = delete;

  // Carries out a command line; kNotOk when the text is no command. Runs on
  // the calling thread except the paste, which is handed to the
  // user-interface thread. A delay argument that is no integer throws
  // ConversionError.
  ScriptLineResult RunScriptLine(std::string_view classified);

  // Starts a run of the script file on a thread of its own and returns at
  // once. Once the program is ending no run starts.
  void StartScript(const std::string& fileName);

  // The body of a run: every line of the file through the action runner.
  void RunScriptFile(const std::string& fileName);

  // Waits until every run under way, and every run those start, has ended.
  // Never call it from a run's thread.
  void WaitForRuns();

 private:
  class ScriptRun;

  void Delay(std::string_view argument, int32_t unitMilliseconds);
  void PressMouseButton(std::string_view button);
  void RunToEnd(const std::string& fileName);
  void ReportError(std::exception_ptr error);
  void ReleaseHeldKeys();
  bool TargetTakesKeys();
  static HeldKeys* HeldByRun();
  void MarkEnded(ScriptRun& run);

  Platform& platform_;
  ProgramControl& program_;
  RunControl& runControl_;
  ActionRunner runAction_;
  DelayWaiter waiter_;

  std::mutex runsMutex_;  // guards runs_ and each run's end mark
  // Held while a run's or a paste's keys are worked out from the keys down
  // and sent: a paste lifts and restores the keys down when it starts, so
  // another run's key-up between its reading and its sending would leave a
  // key down that nobody holds.
  std::mutex sendingMutex_;
  std::condition_variable runEnded_;
  std::list<std::unique_ptr<ScriptRun>> runs_;
};

}  // namespace tav
