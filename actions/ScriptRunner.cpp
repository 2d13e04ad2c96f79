#include "actions/ScriptRunner.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <limits>
#include <thread>
#include <utility>

#include "actions/SendKeys.h"
#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/IntegerText.h"
#include "base/TextEncoding.h"
#include "platform/ErrorGuard.h"

namespace tav {

namespace {

constexpr size_t kPrefixLength = 10;

constexpr std::pair<std::string_view, ScriptCommandKind> kCommandPrefixes[] = {
    {"PasteLine:", ScriptCommandKind::kPasteLine},
    {"Key_Press:", ScriptCommandKind::kKeyPress},
    {"Key_Down~:", ScriptCommandKind::kKeyDown},
    {"Key_Up~~~:", ScriptCommandKind::kKeyUp},
    {"Mouse_btn:", ScriptCommandKind::kMouseButton},
    {"Delay_ms~:", ScriptCommandKind::kDelayMilliseconds},
    {"Delay_s~~:", ScriptCommandKind::kDelaySeconds},
    {"Delay_m~~:", ScriptCommandKind::kDelayMinutes},
    {"Delay_h~~:", ScriptCommandKind::kDelayHours},
};

// mouse_event flags of the four button arguments.
constexpr std::pair<std::string_view, uint32_t> kMouseButtons[] = {
    {"LDown", 0x02},
    {"LUp", 0x04},
    {"RDown", 0x08},
    {"RUp", 0x10},
};

// How long a paste that restores the clipboard waits for the target to read.
constexpr uint32_t kPasteReadTimeoutMs = 2000;

constexpr const char* kMissingScriptText = "您要执行的脚本文件不存在。";
constexpr const char* kMissingScriptCaption = "Tavrelin";

// What a run's own thread keeps of it: the keys it holds down, and whether
// it has told the user that the target takes no keys.
struct RunKeys {
  HeldKeys held;
  bool refusalShown = false;
};
thread_local RunKeys* currentRun = nullptr;

// A line that is not valid code page 936 is still run when only its comment
// is at fault (a comment written in another encoding, say): the comment
// would be dropped anyway. Otherwise the line throws EncodingError.
std::string ScriptLineToUtf8(const std::string& line) {
  try {
    return Cp936ToUtf8(line);
  } catch (const EncodingError&) {
    const size_t comment = line.find("$$/");
    if (comment == std::string::npos) throw;
    return Cp936ToUtf8(std::string_view(line).substr(0, comment));
  }
}

// The whole file is read and converted before its first line runs: a run
// then never stops half-way over a bad line, and the file is not held open
// while a long script runs, so the script editor can save it meanwhile. A
// line that is not code page 936 text stops the run before it starts, with
// a message naming the script and the line.
std::vector<std::string> ReadScriptLines(const std::string& fileName) {
  std::vector<std::string> lines = SplitScriptLines(ReadWholeFile(fileName));
  for (size_t i = 0; i < lines.size(); ++i) {
    try {
      lines[i] = ScriptLineToUtf8(lines[i]);
    } catch (const EncodingError&) {
      throw Error("脚本文件“" + fileName + "”的第 " + std::to_string(i + 1) +
                  " 行不是 GB2312 文本，脚本没有执行。");
    }
  }
  return lines;
}

}  // namespace

std::optional<ScriptCommand> ParseScriptCommand(std::string_view classified) {
  const std::string_view head = classified.substr(0, kPrefixLength);
  for (const auto& [prefix, kind] : kCommandPrefixes) {
    if (head == prefix) return ScriptCommand{kind, classified.substr(kPrefixLength)};
  }
  return std::nullopt;
}

int32_t DelayMilliseconds(std::string_view argument, int32_t unitMilliseconds) {
  const int64_t count = StrToInt(argument);
  const int64_t milliseconds = count * unitMilliseconds;
  // A negative or overflowing delay would reach the system's sleep as an
  // enormous unsigned count, the all-ones value meaning "for ever".
  if (count < 0 || milliseconds > std::numeric_limits<int32_t>::max())
    throw ConversionError(std::string(argument));
  return static_cast<int32_t>(milliseconds);
}

std::vector<std::string> SplitScriptLines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::string line;
  for (const char c : bytes) {
    if (c == '\n') {
      lines.push_back(std::move(line));
      line.clear();
    } else if (c != '\r') {
      line.push_back(c);
    }
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

void PasteText(Platform& platform, ProgramControl& program, const std::string& text,
               std::mutex* sending) {
  // The system would drop the keystroke without a word.
  if (platform.ForegroundWindowIsElevated()) {
    program.ShowNotice(kElevatedTargetMessage);
    return;
  }
  // To put the user's clipboard back, the text is handed over only when the
  // target window asks for it: then the earlier content can return at once.
  std::optional<ClipboardContent> earlier;
  if (program.RestoresClipboardAfterPaste()) earlier = platform.SaveClipboard();
  if (earlier) {
    platform.OfferClipboardText(text);
  } else if (!platform.SetClipboardText(text)) {
    throw Error(kPasteFailedMessage);
  }
  // Without its hotkeys the program cannot be fired by its own keystrokes.
  program.UnregisterHotkeys(true);
  // One batch: no key of the user's falls between the release of the held
  // modifiers and their return.
  {
    std::unique_lock<std::mutex> lock;
    if (sending) lock = std::unique_lock(*sending);
    platform.SendKeys(PasteKeystrokes(platform));
  }
  if (earlier) {
    // A target that never reads the text (it takes no paste) still gets the
    // earlier content back, a little later.
    platform.WaitForClipboardRead(kPasteReadTimeoutMs);
    platform.RestoreClipboard(*earlier);
  }
  program.RegisterAll();
}

// One run of a script file on a thread of its own. The runner keeps it
// until the run has ended, then joins and releases it.
class ScriptRunner::ScriptRun {
 public:
  ScriptRun(ScriptRunner& runner, std::string fileName)
      : runner_(runner), fileName_(std::move(fileName)) {}
  ~ScriptRun() {
    if (thread_.joinable()) thread_.join();
  }
  ScriptRun(const ScriptRun&) = delete;
  ScriptRun& operator=(const ScriptRun&) = delete;

  void Start() { thread_ = std::thread(&ScriptRun::Execute, this); }

  // Read and written under the runner's runsMutex_.
  bool ended = false;

 private:
  void Execute() {
    {
      // COM for the shell, among what the platform sets up for a run's thread.
      const std::shared_ptr<void> prepared = runner_.platform_.PrepareRunThread();
      RunControl::RunThreadScope scope;
      RunKeys keys;
      currentRun = &keys;
      runner_.RunToEnd(fileName_);
      currentRun = nullptr;
    }
    runner_.MarkEnded(*this);
  }

  ScriptRunner& runner_;
  const std::string fileName_;
  std::thread thread_;
};

ScriptRunner::ScriptRunner(Platform& platform, ProgramControl& program, RunControl& runControl,
                           ActionRunner runAction, DelayWaiter waiter)
    : platform_(platform),
      program_(program),
      runControl_(runControl),
      runAction_(std::move(runAction)),
      waiter_(std::move(waiter)) {
  if (!waiter_)
    waiter_ = [this](std::chrono::milliseconds duration) { return runControl_.WaitFor(duration); };
}

ScriptRunner::~ScriptRunner() {
  WaitForRuns();
}

ScriptLineResult ScriptRunner::RunScriptLine(std::string_view classified) {
  const std::optional<ScriptCommand> command = ParseScriptCommand(classified);
  if (!command) return ScriptLineResult::kNotOk;
  const std::string_view argument = command->argument;
  switch (command->kind) {
    case ScriptCommandKind::kPasteLine: {
      // On the user-interface thread, so pastes never overlap and the
      // hotkeys are suspended by the thread that owns them.
      runControl_.OnUiThread([this, text = std::string(argument)] {
        PasteText(platform_, program_, text, &sendingMutex_);
      });
      break;
    }
    case ScriptCommandKind::kKeyPress:
      if (TargetTakesKeys())
        SendKeyAction(platform_, argument, KeyAction::kPress, HeldByRun(), &sendingMutex_);
      break;
    case ScriptCommandKind::kKeyDown:
      if (TargetTakesKeys())
        SendKeyAction(platform_, argument, KeyAction::kDown, HeldByRun(), &sendingMutex_);
      break;
    case ScriptCommandKind::kKeyUp:
      // Sent whatever the target: a key the run holds must come up.
      SendKeyAction(platform_, argument, KeyAction::kUp, HeldByRun(), &sendingMutex_);
      break;
    case ScriptCommandKind::kMouseButton:
      PressMouseButton(argument);
      break;
    case ScriptCommandKind::kDelayMilliseconds:
      Delay(argument, 1);
      break;
    case ScriptCommandKind::kDelaySeconds:
      Delay(argument, 1000);
      break;
    case ScriptCommandKind::kDelayMinutes:
      Delay(argument, 60'000);
      break;
    case ScriptCommandKind::kDelayHours:
      Delay(argument, 3'600'000);
      break;
  }
  return ScriptLineResult::kOk;
}

HeldKeys* ScriptRunner::HeldByRun() {
  return currentRun ? &currentRun->held : nullptr;
}

// Keys for an elevated target are dropped by the system without an error:
// the user is told instead, once per run.
bool ScriptRunner::TargetTakesKeys() {
  if (!platform_.ForegroundWindowIsElevated()) return true;
  if (!currentRun || !currentRun->refusalShown) {
    if (currentRun) currentRun->refusalShown = true;
    runControl_.OnUiThread([this] { program_.ShowNotice(kElevatedTargetMessage); });
  }
  return false;
}

void ScriptRunner::Delay(std::string_view argument, int32_t unitMilliseconds) {
  const std::chrono::milliseconds duration(DelayMilliseconds(argument, unitMilliseconds));
  if (!waiter_(duration) && RunControl::OnRunThread()) throw tav::RunEnded{};
}

void ScriptRunner::PressMouseButton(std::string_view button) {
  const auto it = std::find_if(std::begin(kMouseButtons), std::end(kMouseButtons),
                               [button](const auto& entry) { return entry.first == button; });
  if (it != std::end(kMouseButtons)) platform_.MouseEvent(it->second);
}

void ScriptRunner::StartScript(const std::string& fileName) {
  // Runs that have ended are joined here, outside the lock (declared first,
  // so destroyed after the lock is released).
  std::list<std::unique_ptr<ScriptRun>> ended;
  std::lock_guard lock(runsMutex_);
  if (runControl_.StopRequested()) return;
  for (auto it = runs_.begin(); it != runs_.end();) {
    const auto next = std::next(it);
    if ((*it)->ended) ended.splice(ended.end(), runs_, it);
    it = next;
  }
  runs_.push_back(std::make_unique<ScriptRun>(*this, fileName));
  try {
    runs_.back()->Start();
  } catch (...) {
    runs_.pop_back();
    throw;
  }
}

void ScriptRunner::RunScriptFile(const std::string& fileName) {
  if (!FileExists(fileName)) {
    runControl_.TryOnUiThread([this] {
      platform_.MessageBox(kMissingScriptText, kMissingScriptCaption, mb::kOk | mb::kIconWarning);
    });
    return;
  }
  for (const std::string& line : ReadScriptLines(fileName)) {
    if (runControl_.StopRequested()) return;
    runAction_(line);
  }
}

void ScriptRunner::RunToEnd(const std::string& fileName) {
  try {
    RunScriptFile(fileName);
  } catch (const tav::RunEnded&) {
    // The program is ending.
  } catch (const HandedOffError& failure) {
    ReportError(failure.error);
  } catch (const ConversionError&) {
    // A delay that is no integer ends the run without a message.
  } catch (const FileError&) {
    // So does a file that cannot be read.
  } catch (...) {
    ReportError(std::current_exception());
  }
  ReleaseHeldKeys();
}

// Any other error ends the run too, and is shown like every error that no
// handler catches; so is every error of a call handed to the user-interface
// thread (reopening the scheme on resume, a paste), whatever its kind.
void ScriptRunner::ReportError(std::exception_ptr error) {
  try {
    runControl_.TryOnUiThread(
        [this, error] { RunGuarded(platform_, [&] { std::rethrow_exception(error); }); });
  } catch (...) {
    // Nothing more can be done for it on a run's thread.
  }
}

// The end of every run lets go of the keys it pressed and left down, each
// with the scan code and extended flag it went down with; keys the user holds
// stay down. Sent from the run's own thread, so that this holds also when
// the program is ending.
void ScriptRunner::ReleaseHeldKeys() {
  if (!currentRun) return;
  std::lock_guard lock(sendingMutex_);
  const std::vector<KeyInput> ups = currentRun->held.TakeKeyUps(platform_);
  if (!ups.empty()) platform_.SendKeys(ups);
}

void ScriptRunner::MarkEnded(ScriptRun& run) {
  std::lock_guard lock(runsMutex_);
  run.ended = true;
  runEnded_.notify_all();
}

void ScriptRunner::WaitForRuns() {
  std::list<std::unique_ptr<ScriptRun>> ended;
  std::unique_lock lock(runsMutex_);
  runEnded_.wait(lock, [this] {
    return std::all_of(runs_.begin(), runs_.end(), [](const auto& run) { return run->ended; });
  });
  ended.swap(runs_);
  lock.unlock();
}

}  // namespace tav
