// Connects the script editor with the editing dialogs: the hotkey editor's
// script button shows it for the script its target field names, closing it
// hands the script's file name back to that field, and what the operation
// chooser delivers while the editor opened it goes in at the editor's caret.
#pragma once

#include "dialogs/EditingDialogs.h"
#include "editor/ScriptEditorForm.h"
#include "platform/Platform.h"

namespace tav {

// Both objects must outlive the link. Errors while a script is loaded for the
// hotkey editor are reported through `platform`, and the editor is not shown.
void LinkScriptEditor(TfrmScripEditor& script, EditingDialogs& dialogs, Platform& platform);

}  // namespace tav
