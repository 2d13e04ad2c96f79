// What the fuzz targets share: a property check that stops the run (so that
// libFuzzer keeps the input), the layout of inputs that carry a few short
// texts before the file bytes, and a recording main window for the engine.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "actions/ProgramControl.h"
#include "base/Errors.h"
#include "base/TextEncoding.h"
#include "platform/Platform.h"

namespace tav::fuzz {

// Stops the run when a property does not hold.
inline void Check(bool holds, const char* property, std::string_view detail = {}) {
  if (holds) return;
  std::fprintf(stderr, "Property failed: %s\n", property);
  if (!detail.empty())
    std::fprintf(stderr, "  with: %.*s\n", static_cast<int>(detail.size()), detail.data());
  std::abort();
}

inline std::string_view Bytes(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

inline bool IsUtf8(std::string_view text) {
  try {
    Utf8ToUtf16(text);
    return true;
  } catch (const EncodingError&) {
    return false;
  }
}

// An input of the form "head\nbody": the head split at tabs into `count`
// texts (missing ones empty, the last takes the rest), the body after the
// first line end. An input without a line end is all body.
struct HeadedInput {
  std::vector<std::string> head;
  std::string_view body;
};

inline HeadedInput SplitHead(std::string_view input, size_t count) {
  HeadedInput split{std::vector<std::string>(count), input};
  const size_t lineEnd = input.find('\n');
  if (lineEnd == std::string_view::npos) return split;
  std::string_view head = input.substr(0, lineEnd);
  split.body = input.substr(lineEnd + 1);
  for (size_t i = 0; i < count; ++i) {
    const size_t tab = i + 1 < count ? head.find('\t') : std::string_view::npos;
    split.head[i] = std::string(head.substr(0, tab));
    if (tab == std::string_view::npos) break;
    head.remove_prefix(tab + 1);
  }
  return split;
}

// The main window's side of the engine: nothing of it reaches the platform.
class FuzzProgram : public ProgramControl {
 public:
  FuzzProgram() = default;
  void CloseMainWindow() override {}
  void ShowMainWindow() override {}
  void TogglePause() override {}
  void UnregisterHotkeys(bool) override {}
  void RegisterAll() override {}
  void ShowNotice(const std::string&) override {}
};

}  // namespace tav::fuzz
