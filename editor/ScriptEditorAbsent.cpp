// The script editor's stand-in in a program built without its text control
// (TAVRELIN_SCRIPT_EDITOR=OFF): a variant that measures what the control
// costs in the executable; the program that ships has the editor. Asked to
// show a script, it says the editor is not part of this build.
#include "base/Version.h"
#include "editor/ScriptEditorWindow.h"

namespace tav {

ScriptEditorWindow::ScriptEditorWindow(Platform& platform, std::string programDir)
    : platform_(platform),
      programDir_(std::move(programDir)),
      model_(*this, programDir_ + "Script\\") {}

ScriptEditorWindow::~ScriptEditorWindow() = default;

void ScriptEditorWindow::NewScript() {}
bool ScriptEditorWindow::OpenScriptFile(const std::string&) {
  return true;
}
void ScriptEditorWindow::NewScriptAt(const std::string&) {}
void ScriptEditorWindow::InsertAtCaret(const std::string&) {}

void ScriptEditorWindow::ShowModalOver(HWND) {
  platform_.MessageBox("这个版本没有脚本编辑器。", kApplicationTitle,
                       mb::kOk | mb::kIconInformation);
}

LRESULT ScriptEditorWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return Window::HandleMessage(message, wParam, lParam);
}

bool ScriptEditorWindow::TextIsEmpty() {
  return true;
}
std::vector<std::string> ScriptEditorWindow::Lines() {
  return {};
}
void ScriptEditorWindow::SetLines(const std::vector<std::string>&) {}
void ScriptEditorWindow::ClearAll() {}
void ScriptEditorWindow::ReplaceSelection(const std::string&) {}
int ScriptEditorWindow::ShowMessage(const std::string& text, const std::string& caption,
                                    unsigned style) {
  return platform_.MessageBox(text, caption, style);
}
void ScriptEditorWindow::ShowCaption(const std::string&) {}
void ScriptEditorWindow::EnableSave(bool) {}
std::optional<std::string> ScriptEditorWindow::ChooseScriptToOpen(const std::string&) {
  return std::nullopt;
}
std::optional<std::string> ScriptEditorWindow::ChooseScriptToSave(const std::string&,
                                                                  const std::string&) {
  return std::nullopt;
}

}  // namespace tav
