#include "app/ScriptEditorLink.h"

#include "platform/ErrorGuard.h"

namespace tav {

namespace {

using EditorSource = std::function<ScriptEditorWindow&()>;

// The editor's own button for the operation chooser.
void LinkWizard(ScriptEditorWindow& script, EditingDialogs& dialogs) {
  script.hooks.showWizard = [&script, &dialogs] {
    dialogs.router().set_target(InsertionTarget::kScriptEditor);
    dialogs.chooser().ShowModal(script.hwnd());
  };
}

void LinkDialogs(const EditorSource& source, EditingDialogs& dialogs, Platform& platform) {
  // The chooser delivers to the script editor only after the editor's own
  // wizard button opened it, so the editor exists by then.
  dialogs.router().SetScriptEditorSink(
      [source](const std::string& text) { source().InsertAtCaret(text); });

  dialogs.editor().openScriptEditor = [source, &dialogs, &platform](
                                          HotkeyEditorDialog& editor,
                                          const HotkeyEditorDialog::ScriptRequest& request) {
    using Kind = HotkeyEditorDialog::ScriptRequest::Kind;
    ScriptEditorWindow* script = nullptr;
    bool ready = false;
    const bool loaded = RunGuarded(platform, [&] {
      script = &source();
      LinkWizard(*script, dialogs);
      switch (request.kind) {
        case Kind::kNew:
          script->NewScript();
          ready = true;
          break;
        case Kind::kOpen:
          ready = script->OpenScriptFile(request.path);
          break;
        case Kind::kShowOnly:
          // A script that does not exist yet: its name is offered at the first save.
          script->NewScriptAt(request.path);
          ready = true;
          break;
      }
    });
    if (!loaded || !ready || !script) return;
    script->hooks.scriptClosed = [&editor](const std::string& name) { editor.SetTarget(name); };
    script->ShowModalOver(editor.hwnd());
  };
}

}  // namespace

ScriptEditorWindow& ScriptEditorOnDemand::Get() {
  if (!editor_) editor_ = make_();
  return *editor_;
}

void LinkScriptEditor(ScriptEditorOnDemand& script, EditingDialogs& dialogs, Platform& platform) {
  LinkDialogs([&script]() -> ScriptEditorWindow& { return script.Get(); }, dialogs, platform);
}

void LinkScriptEditor(ScriptEditorWindow& script, EditingDialogs& dialogs, Platform& platform) {
  LinkWizard(script, dialogs);
  LinkDialogs([&script]() -> ScriptEditorWindow& { return script; }, dialogs, platform);
}

}  // namespace tav
