// Joins the main window and the editing dialogs: "添加", "修改", a double
// click and a file drop open the hotkey editor; "新建方案" opens the input
// dialog, whose new scheme joins the three scheme menus and opens. The
// editor reaches the active scheme through the main window.
#pragma once

#include <memory>
#include <string>

#include "app/MainForm.h"
#include "dialogs/EditingDialogs.h"
#include "help/HelpBinding.h"

namespace tav {

class EditingHookup : private EntryEditorHost {
 public:
  // Installs the hooks on the created main window; they live as long as this.
  EditingHookup(Win32Platform& platform, const std::string& programDirectory, TMainForm& form);
  ~EditingHookup() override;
  EditingHookup(const EditingHookup&) = delete;
  EditingHookup& operator=(const EditingHookup&) = delete;

  EditingDialogs& dialogs() { return *dialogs_; }

  // Opens the editor as the main window asks: a new entry modally, a change
  // of a slot modeless.
  void OpenEditor(const HotkeyEditorRequest& request);

 private:
  // EntryEditorHost
  std::string ActiveSchemePath() const override { return form_.scheme().activePath; }
  bool SchemeIsProtected() const override { return form_.scheme().isProtected; }
  std::string RememberedPassword() const override { return form_.scheme().rememberedPassword; }
  bool HotkeysPaused() const override { return form_.service().paused(); }
  // The main window's reload after an edit tells the pause state apart and
  // puts the list back in file order itself.
  void ResetAndLoad() override { form_.ReloadAfterEdit(); }
  void OpenScheme(const std::string& /*path*/) override { form_.ReloadAfterEdit(); }
  void ResetSortState() override {}
  const EntryTable& Slots() const override { return form_.service().slots(); }

  // The main window when it shows, so that dialogs opened from the tray
  // have no hidden owner.
  HWND Owner() const;
  SchemeMenuCallbacks MenuCallbacks();

  TMainForm& form_;
  std::unique_ptr<EditingDialogs> dialogs_;
};

}  // namespace tav
