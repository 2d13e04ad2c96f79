// Action strings and script files through the dispatcher and the runner on
// the recording platform (no real input, no real shell). Every line of the
// input is carried out as a hotkey's action on this thread, then the whole
// input runs as a script file on a run thread. Errors may end a line or a
// run, but only the program's own; a run leaves no modifier down, and input
// without a key-down command leaves no key down at all.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "actions/ActionDispatcher.h"
#include "platform/RecordingPlatform.h"

namespace {

using tav::fuzz::Check;

const std::string& ScriptPath() {
  static const std::string path = [] {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("tavrelin-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    return (folder / "fuzz.tsc").string();
  }();
  return path;
}

// A US keyboard layout for one-character key names.
void SetUsLayout(tav::RecordingPlatform& platform) {
  for (char c = 'a'; c <= 'z'; ++c) {
    platform.SetVkKeyScan(c, static_cast<int16_t>(c - 'a' + 'A'));
    platform.SetVkKeyScan(static_cast<char>(c - 'a' + 'A'),
                          static_cast<int16_t>(0x100 | (c - 'a' + 'A')));
  }
  for (char c = '0'; c <= '9'; ++c) platform.SetVkKeyScan(c, c);
  platform.SetVkKeyScan(' ', 0x20);
  platform.SetVkKeyScan(';', 0xBA);
}

void CheckKeys(const tav::RecordingPlatform& platform, bool modifiersMayStay, bool keysMayStay,
               const char* when) {
  if (!modifiersMayStay) {
    for (const uint8_t modifier : {16, 17, 18}) Check(!platform.IsKeyDown(modifier), when);
  }
  if (!keysMayStay) Check(platform.KeysDown().empty(), when);
}

bool NoDelay(std::chrono::milliseconds) {
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes = tav::fuzz::Bytes(data, size);
  // A line is read without its CRs, wherever they stand.
  const std::vector<std::string> lines = tav::SplitScriptLines(bytes);
  const bool holdsKeys = std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
    return line.find("Key_Down~:") != std::string::npos;
  });

  {  // Each line as a hotkey's action, on the user-interface thread.
    tav::RecordingPlatform platform;
    SetUsLayout(platform);
    tav::fuzz::FuzzProgram program;
    tav::ActionDispatcher engine(platform, program, NoDelay);
    for (const std::string& line : lines) {
      std::string action;
      try {
        action = tav::Cp936ToUtf8(line);
      } catch (const tav::EncodingError&) {
        continue;
      }
      try {
        engine.RunAction(action);
      } catch (const tav::Error&) {
        // A delay that is no integer: the error guard shows it.
      }
    }
    engine.WaitForRuns();
    CheckKeys(platform, holdsKeys, holdsKeys, "hotkey actions leave no key down");
  }

  {  // The whole input as a script file, on a run's thread.
    std::ofstream(ScriptPath(), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    tav::RecordingPlatform platform;
    SetUsLayout(platform);
    tav::fuzz::FuzzProgram program;
    tav::ActionDispatcher engine(platform, program, NoDelay);
    engine.RunAction(ScriptPath());
    engine.WaitForRuns();
    CheckKeys(platform, false, false, "a script run leaves no key down");
    for (const std::string& call : platform.CallsStartingWith("MessageBox"))
      Check(tav::fuzz::IsUtf8(call), "messages are UTF-8", call);
  }
  return 0;
}
