// The editing dialogs together, as the main window creates them at start:
// the hotkey editor, the operation chooser, the favourites picker, the input
// dialog and the insertion target they share. One instance for the run.
//
// The main window
//   - implements EntryEditorHost (active scheme, reload, sort state, slots)
//     and gives the scheme-menu callbacks for "新建方案";
//   - opens editor().OpenForAdd(owner) for "添加" and a file drop,
//     editor().OpenForChange(owner, slot, entry) for "修改", and
//     input().OpenForNewScheme(owner) for "新建方案".
// The script editor
//   - sets router().SetScriptEditorSink(insert at the caret) and, before it
//     opens the chooser, router().set_target(InsertionTarget::kScriptEditor);
//   - fills editor().openScriptEditor, which gets the target field's text
//     and calls editor.SetTarget(path) when it closes with a file.
#pragma once

#include <string>

#include "dialogs/HotkeyEditorDialog.h"
#include "dialogs/InputDialog.h"
#include "dialogs/OperationChooserDialog.h"

namespace tav {

class EditingDialogs {
 public:
  EditingDialogs(Platform& platform, const std::string& programDirectory, EntryEditorHost& host,
                 SchemeMenuCallbacks menus)
      : input_(platform, programDirectory, router_, std::move(menus)),
        favourites_(platform, router_),
        chooser_(platform, router_, favourites_, input_),
        editor_(platform, programDirectory, host, router_, chooser_) {
    router_.SetHotkeyEditorSink([this](const std::string& target, const std::string& remark) {
      editor_.SetTargetAndRemark(target, remark);
    });
  }
  EditingDialogs(const EditingDialogs&) = delete;
  EditingDialogs& operator=(const EditingDialogs&) = delete;

  InsertionRouter& router() { return router_; }
  HotkeyEditorDialog& editor() { return editor_; }
  OperationChooserDialog& chooser() { return chooser_; }
  FavouritesDialog& favourites() { return favourites_; }
  InputDialog& input() { return input_; }

 private:
  InsertionRouter router_;
  InputDialog input_;
  FavouritesDialog favourites_;
  OperationChooserDialog chooser_;
  HotkeyEditorDialog editor_;
};

}  // namespace tav
