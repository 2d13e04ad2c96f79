// Connects the script editor with the editing dialogs: the hotkey editor's
// script button shows it for the script its target field names, closing it
// hands the script's file name back to that field, and what the operation
// chooser delivers while the editor opened it goes in at the editor's caret.
#pragma once

#include <functional>
#include <memory>

#include "dialogs/EditingDialogs.h"
#include "editor/ScriptEditorWindow.h"
#include "platform/Platform.h"

namespace tav {

// The script editor window, made the first time a script is edited: until
// then neither its window nor its editor component exists, which keeps them
// out of the start-up time and of the memory of a program idle in the tray.
class ScriptEditorOnDemand {
 public:
  using Make = std::function<std::unique_ptr<ScriptEditorWindow>()>;
  explicit ScriptEditorOnDemand(Make make) : make_(std::move(make)) {}

  // The editor, made now if it does not exist yet.
  ScriptEditorWindow& Get();
  // The editor if it was made, else null.
  ScriptEditorWindow* IfMade() const { return editor_.get(); }

 private:
  Make make_;
  std::unique_ptr<ScriptEditorWindow> editor_;
};

// Both objects must outlive the link. Errors while a script is loaded for the
// hotkey editor are reported through `platform`, and the editor is not shown.
void LinkScriptEditor(ScriptEditorOnDemand& script, EditingDialogs& dialogs, Platform& platform);
// The same for an editor that exists already.
void LinkScriptEditor(ScriptEditorWindow& script, EditingDialogs& dialogs, Platform& platform);

}  // namespace tav
