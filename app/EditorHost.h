// What the editing dialogs ask of the main window (the active scheme, the
// reload after a change, the sort state, the entry table), answered by it.
#pragma once

#include "app/MainWindow.h"
#include "dialogs/EditingDialogs.h"
#include "dialogs/model/EntryEditing.h"
#include "help/HelpBinding.h"
#include "help/HelpTopics.h"

namespace tav {

class MainWindowEditorHost : public EntryEditorHost {
 public:
  explicit MainWindowEditorHost(MainWindow& form) : form_(form) {}

  std::string ActiveSchemePath() const override { return form_.scheme().activePath; }
  bool SchemeIsProtected() const override { return form_.scheme().isProtected; }
  std::string RememberedPassword() const override { return form_.scheme().rememberedPassword; }
  bool HotkeysPaused() const override { return form_.service().paused(); }
  void ResetAndLoad() override {
    form_.ResetAndLoad();
    form_.RefreshIcons();
  }
  void OpenScheme(const std::string& path) override { form_.OpenScheme(path); }
  void ResetSortState() override { form_.ResetSortState(); }
  const EntryTable& Slots() const override { return form_.service().slots(); }

 private:
  MainWindow& form_;
};

// What "新建方案" does to the three scheme menus.
inline SchemeMenuCallbacks SchemeMenuCallbacksFor(MainWindow& form) {
  return {
      .hasItem =
          [&form](const std::string& name) { return form.schemeMenus().Find(name).has_value(); },
      .addItem =
          [&form](const std::string& name) {
            form.schemeMenus().AddSchemeItem(name);
            form.RenderSchemeMenus();
          },
      .openScheme =
          [&form](const std::string&, const std::string& name) {
            form.schemeMenus().OpenFromMenu(name);
            form.RenderSchemeMenus();
          },
  };
}

// Gives "添加", "修改", a file drop and "新建方案" their dialogs, and the
// hotkey editor its help topic.
inline void ConnectEditingDialogs(MainWindow& form, EditingDialogs& editing,
                                  const std::string& programDirectory) {
  const auto owner = [&form] { return IsWindowVisible(form.hwnd()) ? form.hwnd() : nullptr; };
  form.SetHotkeyEditor([&form, &editing, owner](const HotkeyEditorRequest& request) {
    if (request.slot < 0) {
      editing.editor().OpenForAdd(owner(), request.action, request.hint);
    } else {
      editing.editor().OpenForChange(owner(), request.slot, form.service().slots()[request.slot]);
    }
  });
  form.SetNewSchemeDialog([&editing, owner] { editing.input().OpenForNewScheme(owner()); });
  editing.editor().openHelp = [&editing, programDirectory](const std::string&) {
    ShowHelpTopic(editing.editor().hwnd(), programDirectory, kAddHotkeyTopic);
  };
}

}  // namespace tav
