// Where the operation chooser, the favourites picker and the paste-text
// input deliver their result: into the hotkey editor's target field (with a
// remark), or into the script editor at the caret. Whoever opens a picker
// points the target at itself first.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tav {

enum class InsertionTarget { kHotkeyEditor, kScriptEditor };

class InsertionRouter {
 public:
  // Sets the editor's target field and remark field.
  using EditorSink = std::function<void(const std::string& target, const std::string& remark)>;
  // Inserts text at the script editor's caret, replacing any selection.
  using ScriptSink = std::function<void(const std::string& text)>;

  void set_target(InsertionTarget target) { target_ = target; }
  InsertionTarget target() const { return target_; }
  void SetHotkeyEditorSink(EditorSink sink) { editor_ = std::move(sink); }
  void SetScriptEditorSink(ScriptSink sink) { script_ = std::move(sink); }

  // Delivers a result to the current target; the remark goes only to the
  // hotkey editor. A target without a sink receives nothing.
  void Deliver(const std::string& result, const std::string& remark) const {
    if (target_ == InsertionTarget::kScriptEditor) {
      if (script_) script_(result);
    } else if (editor_) {
      editor_(result, remark);
    }
  }

 private:
  InsertionTarget target_ = InsertionTarget::kHotkeyEditor;
  EditorSink editor_;
  ScriptSink script_;
};

// The input dialog's two uses, told apart by caption.
inline constexpr char kNewSchemeCaption[] = "新建方案";
inline constexpr char kNewSchemePrompt[] = "您要建立的方案的名称";
inline constexpr char kPasteTextCaption[] = "粘贴单行文本";
inline constexpr char kPasteTextPrompt[] = "您希望用热键进行粘贴的单行文本";

// The paste-text input's result: the action "PasteLine:<text>" and the
// remark "粘贴单行文本：<text>".
struct PasteTextChoice {
  std::string action;
  std::string remark;
};
PasteTextChoice PasteTextResult(const std::string& text);

// The explanatory lines the input dialog shows for its caption.
std::vector<std::string> InputExplanation(const std::string& caption);
// The same as one text: each line followed by one empty line, except the last.
std::string InputExplanationText(const std::string& caption);

}  // namespace tav
