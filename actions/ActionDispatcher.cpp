#include "actions/ActionDispatcher.h"

#include "base/AsciiText.h"

#include <algorithm>
#include <utility>

namespace tav {

namespace {

constexpr std::string_view kCommentMarker = "$$/";

constexpr std::pair<std::string_view, BuiltInOperation> kBuiltInOperations[] = {
    {"关闭Tavrelin", BuiltInOperation::kCloseProgram},
    {"显示Tavrelin", BuiltInOperation::kShowMainWindow},
    {"Tavrelin停止/开始工作", BuiltInOperation::kTogglePause},
    {"关闭计算机", BuiltInOperation::kShutDownComputer},
    {"重新启动计算机", BuiltInOperation::kRestartComputer},
    {"显示关机对话框", BuiltInOperation::kShutdownDialog},
    {"打开/关闭光驱", BuiltInOperation::kToggleCdDoor},
    {"控制面板", BuiltInOperation::kControlPanel},
    {"添加/删除程序", BuiltInOperation::kAddRemovePrograms},
    {"系统属性", BuiltInOperation::kSystemProperties},
    {"显示属性", BuiltInOperation::kDisplayProperties},
    {"日期/时间属性", BuiltInOperation::kDateTimeProperties},
};

bool IsBlankOrControl(char c) {
  return static_cast<unsigned char>(c) <= 32;
}

}  // namespace

std::string_view ClassifiedText(std::string_view action) {
  std::string_view text = action.substr(0, action.find(kCommentMarker));
  while (!text.empty() && IsBlankOrControl(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlankOrControl(text.back())) text.remove_suffix(1);
  return text;
}

bool HasScriptExtension(std::string_view text) {
  // The extension runs from the last "." and holds no "\" or ":"; it can
  // only equal ".tsc" when the text ends in it.
  constexpr std::string_view kScriptExtension = ".tsc";
  if (text.size() < kScriptExtension.size()) return false;
  const std::string_view extension = text.substr(text.size() - kScriptExtension.size());
  return std::equal(extension.begin(), extension.end(), kScriptExtension.begin(),
                    [](char a, char b) { return AsciiLower(a) == b; });
}

std::optional<BuiltInOperation> FindBuiltInOperation(std::string_view classified) {
  for (const auto& [name, operation] : kBuiltInOperations) {
    if (classified == name) return operation;
  }
  return std::nullopt;
}

ActionDispatcher::ActionDispatcher(Platform& platform, ProgramControl& program, DelayWaiter waiter)
    : platform_(platform),
      program_(program),
      system_(platform),
      runControl_(platform),
      runner_(
          platform, program, runControl_, [this](const std::string& line) { RunAction(line); },
          std::move(waiter)) {}

ActionDispatcher::~ActionDispatcher() {
  Shutdown();
}

void ActionDispatcher::RunAction(const std::string& action) {
  if (!HandleAction(action)) ShellOpenTarget(action);
}

bool ActionDispatcher::HandleAction(const std::string& action) {
  const std::string_view text = ClassifiedText(action);
  if (text.empty()) return true;
  if (runner_.RunScriptLine(text) != ScriptLineResult::kNotOk) return true;
  if (HasScriptExtension(text)) {
    StartScript(text);
    return true;
  }
  if (const std::optional<BuiltInOperation> operation = FindBuiltInOperation(text)) {
    Carry(*operation);
    return true;
  }
  return false;
}

void ActionDispatcher::ShellOpenTarget(const std::string& target) {
  platform_.ShellOpen(target);
}

void ActionDispatcher::StartScript(std::string_view fileName) {
  runner_.StartScript(std::string(fileName));
}

// The operations on the main window and the two shell dialogs (modal to the
// application's window) are carried out on the user-interface thread; a
// script run waits for each. The rest run on the calling thread.
void ActionDispatcher::Carry(BuiltInOperation operation) {
  switch (operation) {
    case BuiltInOperation::kCloseProgram:
      runControl_.OnUiThread([this] { program_.CloseMainWindow(); });
      break;
    case BuiltInOperation::kShowMainWindow:
      runControl_.OnUiThread([this] { program_.ShowMainWindow(); });
      break;
    case BuiltInOperation::kTogglePause:
      runControl_.OnUiThread([this] { program_.TogglePause(); });
      break;
    case BuiltInOperation::kShutDownComputer:
      system_.ShutDownComputer();
      break;
    case BuiltInOperation::kRestartComputer:
      system_.RestartComputer();
      break;
    case BuiltInOperation::kShutdownDialog:
      runControl_.OnUiThread([this] { system_.ShowShutdownDialog(); });
      break;
    case BuiltInOperation::kToggleCdDoor:
      system_.ToggleCdDoor();
      break;
    case BuiltInOperation::kControlPanel:
      system_.OpenControlPanel();
      break;
    case BuiltInOperation::kAddRemovePrograms:
      system_.OpenAddRemovePrograms();
      break;
    case BuiltInOperation::kSystemProperties:
      runControl_.OnUiThread([this] { system_.ShowSystemProperties(); });
      break;
    case BuiltInOperation::kDisplayProperties:
      system_.OpenDisplayProperties();
      break;
    case BuiltInOperation::kDateTimeProperties:
      system_.OpenDateTimeProperties();
      break;
  }
}

void ActionDispatcher::RequestStop() {
  runControl_.RequestStop();
}

void ActionDispatcher::Shutdown() {
  runControl_.RequestStop();
  runner_.WaitForRuns();
}

void ActionDispatcher::WaitForRuns() {
  runner_.WaitForRuns();
}

}  // namespace tav
