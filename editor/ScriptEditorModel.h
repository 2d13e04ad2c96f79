// What the script editor window decides, apart from its widgets: the current
// file and modified state with the caption they give, New, Open, Save,
// Save As, the close query and Close, and the exact lines every insertion aid
// writes. The window supplies a ScriptEditorView; native tests supply a fake.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// The widgets and dialogs the editor logic drives. Text is UTF-8.
class ScriptEditorView {
 public:
  virtual ~ScriptEditorView() = default;

  virtual bool TextIsEmpty() = 0;
  virtual std::vector<std::string> Lines() = 0;
  virtual void SetLines(const std::vector<std::string>& lines) = 0;
  // Empties the text and forgets bookmarks and the undo history.
  virtual void ClearAll() = 0;
  // Replaces the selection, or inserts at the caret, as one undoable step;
  // "\n" in `text` is a line break.
  virtual void ReplaceSelection(const std::string& text) = 0;

  // A message box owned by the editor; answers the button pressed.
  virtual int ShowMessage(const std::string& text, const std::string& caption, unsigned style) = 0;
  virtual void ShowCaption(const std::string& caption) = 0;
  // The modified flag is the enabled state of the Save command.
  virtual void EnableSave(bool enabled) = 0;

  // File dialogs; nullopt when the user cancels.
  virtual std::optional<std::string> ChooseScriptToOpen(const std::string& initialDir) = 0;
  virtual std::optional<std::string> ChooseScriptToSave(const std::string& initialDir,
                                                        const std::string& suggestedName) = 0;
};

// Message box button set with Yes, No and Cancel (MB_YESNOCANCEL).
inline constexpr unsigned kMessageBoxYesNoCancel = 0x03;

inline constexpr std::string_view kUnsavedQuestion = "脚本还未保存，要保存吗？";
inline constexpr std::string_view kInputErrorTitle = "出错了";

class ScriptEditorModel {
 public:
  // `scriptDir` is the initial directory of the file dialogs.
  ScriptEditorModel(ScriptEditorView& view, std::string scriptDir);

  const std::string& FileName() const { return fileName_; }
  bool Modified() const { return modified_; }

  // Every change of the text calls this.
  void TextChanged();

  // Each answers false when the user cancelled it. A file error escapes as
  // an exception after leaving the state the failure leaves.
  bool New();
  bool Open();
  bool OpenScriptFile(const std::string& path);
  // A script path that does not exist yet: an empty script that offers the
  // path as its name at the first save.
  bool NewScriptAt(const std::string& path);
  bool Save();
  bool SaveAs();

  // Whether the window may close; may save first.
  bool CloseQuery();
  // Empties the editor for its next use; answers the file name for the
  // hotkey editor's target field, nullopt while the script has no file.
  std::optional<std::string> Close();

 private:
  void SetModified(bool modified);
  // Asks whether to save a modified script; false when the user cancelled
  // or the save did not happen.
  bool SaveChangesFirst();
  void WriteTo(const std::string& path);

  ScriptEditorView& view_;
  std::string scriptDir_;
  std::string fileName_;
  std::string offeredName_;
  bool modified_ = false;
};

// The caption: "编辑脚本 - [name]" with "*" after the name while modified;
// the name is the file name without directory, "未命名" while unnamed.
std::string ScriptEditorCaption(const std::string& fileName, bool modified);

// An insertion aid's result: the text to insert, or the message that refuses it.
struct Insertion {
  std::string text;
  std::string error;
};

inline constexpr std::string_view kCutMacro =
    "$$/剪切\nKey_Down~:Ctrl\nKey_Press:X\nKey_Up~~~:Ctrl\n";
inline constexpr std::string_view kCopyMacro =
    "$$/复制\nKey_Down~:Ctrl\nKey_Press:C\nKey_Up~~~:Ctrl\n";
inline constexpr std::string_view kPasteMacro =
    "$$/粘贴\nKey_Down~:Ctrl\nKey_Press:V\nKey_Up~~~:Ctrl\n";
inline constexpr std::string_view kCommentMarker = "$$/";

// The items of the three drop-down lists, in order.
extern const std::vector<std::string> kKeySortItems;
extern const std::vector<std::string> kMouseItems;
extern const std::vector<std::string> kTimeUnitItems;

Insertion KeyCommandInsertion(const std::string& sort, const std::string& key);
Insertion MouseCommandInsertion(const std::string& mouse);
Insertion DelayCommandInsertion(const std::string& unit, const std::string& delay);
Insertion OpenFileInsertion(const std::string& path);
Insertion OpenFolderInsertion(const std::string& path);

// What the key-capture field shows after a key press: the held modifier
// (Alt before Ctrl before Shift), otherwise the key's name.
std::string KeyCaptureText(int virtualKey, bool altHeld, bool ctrlHeld, bool shiftHeld);

}  // namespace tav
