// HotkeyEditorDialog: the hotkey editor, in which the user defines one entry:
// the key combination, the action string (target field), a remark and a
// category. "添加热键" adds an entry and is modal; "修改热键" replaces the
// entry that was selected when it opened and is modeless, so the main
// window stays usable. OK writes the scheme file through the entry-editing
// model and makes the main window reload.
#pragma once

#include <functional>
#include <string>

#include "dialogs/ProgramPickerDialog.h"
#include "dialogs/model/EntryEditing.h"
#include "dialogs/model/InsertionTarget.h"
#include "platform/win32/Dialog.h"
#include "platform/win32/WindowPrograms.h"

namespace tav {

class OperationChooserDialog;

class HotkeyEditorDialog : public Dialog {
 public:
  static constexpr const char* kAddCaption = "添加热键";
  static constexpr const char* kChangeCaption = "修改热键";

  // `programDirectory` ends in a separator (set.ini, the help file).
  HotkeyEditorDialog(Platform& platform, std::string programDirectory, EntryEditorHost& host,
                     InsertionRouter& router, OperationChooserDialog& chooser);

  // Opens for a new entry, modally; the target and remark given (a file
  // dropped on the main window) fill the fields. When a change is being
  // edited already, that editor comes to the front instead.
  void OpenForAdd(HWND owner, const std::string& target = {}, const std::string& remark = {});
  // Opens for a change of the entry at `slot` of the active scheme, modeless.
  // While a change is open already, that editor takes the entry instead,
  // after asking whether to give up the edits it holds.
  void OpenForChange(HWND owner, int slot, const HotkeySlot& entry);

  // Set by the pickers, the script editor and the drop target while open.
  void SetTargetAndRemark(const std::string& target, const std::string& remark);
  void SetTarget(const std::string& target);

  // What the script button asks of the script editor, from the target
  // field: a new script when it does not name a ".tsc" file (any case), that
  // script when it exists, and a new script offered that name at its first
  // save when it names one that does not exist.
  struct ScriptRequest {
    enum class Kind { kNew, kOpen, kShowOnly };
    Kind kind = Kind::kNew;
    std::string path;
  };
  static ScriptRequest ScriptRequestFor(const std::string& target);
  // Shows the script editor modally for the request; it sets the target
  // field (SetTarget) when it closes with a file name. The script button is
  // disabled while this is empty.
  std::function<void(HotkeyEditorDialog& editor, const ScriptRequest& request)> openScriptEditor;
  // Opens a topic of the help file ("AddHotkey.htm"); without it the help
  // file is opened through the shell.
  std::function<void(const std::string& topic)> openHelp;

  bool IsChangeMode() const { return caption_ == kChangeCaption; }
  // Fields as typed, for tests and the script editor.
  EntryInput Input() const;
  std::string StatusText(int part) const;

  // Handlers.
  void OnShow();
  void OnOk();
  void OnCancel();
  void OnClose();
  void ChooseFile();
  void ChooseFolder();
  void ChooseOperation();
  void ChooseScript();
  void OnHelp();
  void OnFilesDropped(HDROP drop);
  void OnTargetChange();
  void OnHotkeyChange();
  // "仅在以下程序中" / "以下程序中除外" chosen or cleared: the program list
  // and title fragment apply only with a condition.
  void ConditionChange();
  // "选择程序…": the programs with visible windows to check; the checked
  // ones join the list.
  void PickProgramsClick();
  // The programs "选择程序…" offers; tests give their own.
  std::function<std::vector<WindowProgram>()> listPrograms = VisibleWindowPrograms;

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int notifyCode) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  // Enter reaches the dialog as IDOK: OK only from the remark field.
  void EnterPressed();
  void AddToolTips();
  // Puts the fields' contents (pending_, category_) into the controls.
  void ShowFields();
  void ShowStatus();
  void Close();

  std::string programDirectory_;
  EntryEditorHost& host_;
  InsertionRouter& router_;
  OperationChooserDialog& chooser_;
  std::string caption_ = kAddCaption;
  EntryUnderChange change_;
  // What the fields hold while the window does not exist.
  EntryInput pending_;
  // What the controls held after the fields were last filled: the fields
  // are edited while they differ.
  EntryInput shown_;
  std::string category_ = "其他";
  std::string clashNotice_;
  HWND toolTip_ = nullptr;
  ProgramPickerDialog programPicker_;
};

}  // namespace tav
