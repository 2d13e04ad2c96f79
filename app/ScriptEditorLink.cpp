#include "app/ScriptEditorLink.h"

#include "platform/ErrorGuard.h"

namespace tav {

void LinkScriptEditor(TfrmScripEditor& script, EditingDialogs& dialogs, Platform& platform) {
  dialogs.router().SetScriptEditorSink(
      [&script](const std::string& text) { script.InsertAtCaret(text); });

  script.hooks.showWizard = [&script, &dialogs] {
    dialogs.router().set_target(InsertionTarget::kScriptEditor);
    dialogs.chooser().ShowModal(script.hwnd());
  };

  dialogs.editor().openScriptEditor = [&script, &platform](
                                          TAddOrChange_Form& editor,
                                          const TAddOrChange_Form::ScriptRequest& request) {
    using Kind = TAddOrChange_Form::ScriptRequest::Kind;
    bool ready = false;
    const bool loaded = RunGuarded(platform, [&] {
      switch (request.kind) {
        case Kind::kNew:
          script.actNewExecute();
          ready = true;
          break;
        case Kind::kOpen:
          ready = script.OpenScriptFile(request.path);
          break;
        case Kind::kShowOnly:
          // A script that does not exist yet: its name is offered at the first save.
          script.NewScriptAt(request.path);
          ready = true;
          break;
      }
    });
    if (!loaded || !ready) return;
    script.hooks.scriptClosed = [&editor](const std::string& name) { editor.SetTarget(name); };
    script.ShowModalOver(editor.hwnd());
  };
}

}  // namespace tav
