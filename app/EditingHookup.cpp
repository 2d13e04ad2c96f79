#include "app/EditingHookup.h"

namespace tav {

EditingHookup::EditingHookup(Win32Platform& platform, const std::string& programDirectory,
                             TMainForm& form)
    : form_(form) {
  EntryEditorHost& host = *this;
  dialogs_ = std::make_unique<EditingDialogs>(platform, programDirectory, host, MenuCallbacks());
  dialogs_->editor().openHelp = [this, programDirectory](const std::string& topic) {
    ShowHelpTopic(Owner(), programDirectory, topic);
  };
  form_.SetHotkeyEditor([this](const HotkeyEditorRequest& request) { OpenEditor(request); });
  form_.SetNewSchemeDialog([this] { dialogs_->input().OpenForNewScheme(Owner()); });
}

EditingHookup::~EditingHookup() {
  form_.SetHotkeyEditor({});
  form_.SetNewSchemeDialog({});
}

void EditingHookup::OpenEditor(const HotkeyEditorRequest& request) {
  if (request.caption == kChangeHotkeyCaption) {
    const HotkeyCode code = FromShortcutValue(request.shortcut);
    dialogs_->editor().OpenForChange(
        Owner(), request.slot,
        {code.modifiers, code.virtualKey, request.action, request.hint, request.category});
  } else {
    dialogs_->editor().OpenForAdd(Owner(), request.action, request.hint);
  }
}

HWND EditingHookup::Owner() const {
  return IsWindowVisible(form_.hwnd()) ? form_.hwnd() : nullptr;
}

SchemeMenuCallbacks EditingHookup::MenuCallbacks() {
  return {
      [this](const std::string& name) { return form_.schemeMenus().Find(name).has_value(); },
      [this](const std::string& name) {
        form_.schemeMenus().AddSchemeItem(name);
        form_.RenderSchemeMenus();
      },
      [this](const std::string& /*path*/, const std::string& name) {
        form_.schemeMenus().OpenFromMenu(name);
        form_.RenderSchemeMenus();
      },
  };
}

}  // namespace tav
