// The script editor's stand-in in a program built without its text control
// (TAVRELIN_SCRIPT_EDITOR=OFF): a variant that measures what the control
// costs in the executable; the program that ships has the editor. Asked to
// show a script, it says the editor is not part of this build.
#include "base/Version.h"
#include "editor/ScriptEditorForm.h"

namespace tav {

TfrmScripEditor::TfrmScripEditor(Platform& platform, std::string programDir)
    : platform_(platform),
      programDir_(std::move(programDir)),
      model_(*this, programDir_ + "Script\\") {}

TfrmScripEditor::~TfrmScripEditor() = default;

void TfrmScripEditor::actNewExecute() {}
bool TfrmScripEditor::OpenScriptFile(const std::string&) {
  return true;
}
void TfrmScripEditor::NewScriptAt(const std::string&) {}
void TfrmScripEditor::InsertAtCaret(const std::string&) {}

void TfrmScripEditor::ShowModalOver(HWND) {
  platform_.MessageBox("这个版本没有脚本编辑器。", kApplicationTitle,
                       mb::kOk | mb::kIconInformation);
}

LRESULT TfrmScripEditor::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return Window::HandleMessage(message, wParam, lParam);
}

bool TfrmScripEditor::TextIsEmpty() {
  return true;
}
std::vector<std::string> TfrmScripEditor::Lines() {
  return {};
}
void TfrmScripEditor::SetLines(const std::vector<std::string>&) {}
void TfrmScripEditor::ClearAll() {}
void TfrmScripEditor::ReplaceSelection(const std::string&) {}
int TfrmScripEditor::ShowMessage(const std::string& text, const std::string& caption,
                                 unsigned style) {
  return platform_.MessageBox(text, caption, style);
}
void TfrmScripEditor::ShowCaption(const std::string&) {}
void TfrmScripEditor::EnableSave(bool) {}
std::optional<std::string> TfrmScripEditor::ChooseScriptToOpen(const std::string&) {
  return std::nullopt;
}
std::optional<std::string> TfrmScripEditor::ChooseScriptToSave(const std::string&,
                                                               const std::string&) {
  return std::nullopt;
}

}  // namespace tav
