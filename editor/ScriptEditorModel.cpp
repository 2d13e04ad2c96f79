#include "editor/ScriptEditorModel.h"

#include <utility>

#include "base/AtomicFile.h"
#include "editor/ScriptFile.h"
#include "platform/Platform.h"
#include "storage/KeyText.h"

namespace tav {

ScriptEditorModel::ScriptEditorModel(ScriptEditorView& view, std::string scriptDir)
    : view_(view), scriptDir_(std::move(scriptDir)) {}

void ScriptEditorModel::SetModified(bool modified) {
  modified_ = modified;
  view_.EnableSave(modified);
  std::string caption = ScriptEditorCaption(fileName_, modified);
  if (fileName_.empty() && !offeredName_.empty()) {
    caption = ScriptEditorCaption(offeredName_, modified) + " (新文件)";
  }
  view_.ShowCaption(caption);
}

void ScriptEditorModel::TextChanged() {
  if (!modified_) SetModified(true);
}

// A "Yes" whose save is cancelled or fails keeps the script: going on would
// throw the unsaved text away.
bool ScriptEditorModel::SaveChangesFirst() {
  const int answer = view_.ShowMessage(std::string(kUnsavedQuestion), "",
                                       kMessageBoxYesNoCancel | mb::kIconQuestion);
  if (answer == mb::kIdCancel) return false;
  if (answer == mb::kIdYes) return Save() && !modified_;
  return true;
}

bool ScriptEditorModel::New() {
  if ((!view_.TextIsEmpty() || !fileName_.empty()) && modified_ && !SaveChangesFirst()) {
    return false;
  }
  fileName_.clear();
  offeredName_.clear();
  view_.ClearAll();
  SetModified(false);
  return true;
}

bool ScriptEditorModel::Open() {
  const std::optional<std::string> path = view_.ChooseScriptToOpen(scriptDir_);
  return path && OpenScriptFile(*path);
}

bool ScriptEditorModel::OpenScriptFile(const std::string& path) {
  if (!New()) return false;
  view_.SetLines(ReadScriptLines(path));
  fileName_ = path;
  SetModified(false);
  return true;
}

bool ScriptEditorModel::NewScriptAt(const std::string& path) {
  if (!New()) return false;
  offeredName_ = path;
  SetModified(false);
  return true;
}

bool ScriptEditorModel::Save() {
  if (fileName_.empty()) return SaveAs();
  WriteTo(fileName_);
  return true;
}

bool ScriptEditorModel::SaveAs() {
  const std::string suggested = fileName_.empty() ? offeredName_ : fileName_;
  const std::optional<std::string> chosen = view_.ChooseScriptToSave(scriptDir_, suggested);
  if (!chosen) return false;
  fileName_ = ScriptSaveName(*chosen);
  offeredName_.clear();
  WriteTo(fileName_);
  return true;
}

void ScriptEditorModel::WriteTo(const std::string& path) {
  WriteScriptLines(path, view_.Lines());
  SetModified(false);
}

bool ScriptEditorModel::CloseQuery() {
  return !modified_ || SaveChangesFirst();
}

std::optional<std::string> ScriptEditorModel::Close() {
  std::optional<std::string> name;
  if (!fileName_.empty()) name = fileName_;
  view_.ClearAll();
  fileName_.clear();
  offeredName_.clear();
  modified_ = false;
  view_.EnableSave(false);
  return name;
}

std::string ScriptEditorCaption(const std::string& fileName, bool modified) {
  const std::string name = fileName.empty() ? "未命名" : FileNameOf(fileName);
  return "编辑脚本 - [" + name + (modified ? "*]" : "]");
}

const std::vector<std::string> kKeySortItems = {"按键", "按住", "弹起"};
const std::vector<std::string> kMouseItems = {"左键单击", "右键单击", "左键双击", "左键按下",
                                              "左键弹起", "右键按下", "右键弹起"};
const std::vector<std::string> kTimeUnitItems = {"毫秒(ms)", "秒(s)", "分(m)", "小时(h)"};

namespace {

Insertion Refuse(std::string message) {
  return {"", std::move(message)};
}

}  // namespace

Insertion KeyCommandInsertion(const std::string& sort, const std::string& key) {
  std::string prefix;
  if (sort == "按键") {
    prefix = "Key_Press:";
  } else if (sort == "按住") {
    prefix = "Key_Down~:";
  } else if (sort == "弹起") {
    prefix = "Key_Up~~~:";
  } else {
    return Refuse("没有这个按键动作");
  }
  if (key.empty()) return Refuse("你还没有确定你要按的键");
  return {"$$/" + sort + "\n" + prefix + key + "\n", ""};
}

Insertion MouseCommandInsertion(const std::string& mouse) {
  static const char* const kDown = "Mouse_btn:LDown\n";
  static const char* const kUp = "Mouse_btn:LUp\n";
  std::string lines;
  if (mouse == "左键单击") {
    lines = std::string(kDown) + kUp;
  } else if (mouse == "右键单击") {
    lines = "Mouse_btn:RDown\nMouse_btn:RUp\n";
  } else if (mouse == "左键双击") {
    lines = std::string(kDown) + kUp + "Delay_ms~:200\n" + kDown + kUp;
  } else if (mouse == "左键按下") {
    lines = kDown;
  } else if (mouse == "左键弹起") {
    lines = kUp;
  } else if (mouse == "右键按下") {
    lines = "Mouse_btn:RDown\n";
  } else if (mouse == "右键弹起") {
    lines = "Mouse_btn:RUp\n";
  } else {
    return Refuse("没有这个鼠标事件");
  }
  return {"$$/" + mouse + "\n" + lines, ""};
}

Insertion DelayCommandInsertion(const std::string& unit, const std::string& delay) {
  std::string prefix;
  if (unit == "毫秒(ms)") {
    prefix = "Delay_ms~:";
  } else if (unit == "秒(s)") {
    prefix = "Delay_s~~:";
  } else if (unit == "分(m)") {
    prefix = "Delay_m~~:";
  } else if (unit == "小时(h)") {
    prefix = "Delay_h~~:";
  } else {
    return Refuse("没有这个时间单位");
  }
  if (delay.empty()) return Refuse("你得确定你要延时的时间先");
  return {"$$/延时：" + unit + "\n" + prefix + delay + "\n", ""};
}

Insertion OpenFileInsertion(const std::string& path) {
  return {"$$/打开文件\n" + path + "\n", ""};
}

Insertion OpenFolderInsertion(const std::string& path) {
  return {"$$/打开文件夹\n" + path + "\n", ""};
}

std::string KeyCaptureText(int virtualKey, bool altHeld, bool ctrlHeld, bool shiftHeld) {
  // Virtual-key codes of the modifier keys, generic and left/right.
  const bool isShift = virtualKey == 0x10 || virtualKey == 0xA0 || virtualKey == 0xA1;
  const bool isCtrl = virtualKey == 0x11 || virtualKey == 0xA2 || virtualKey == 0xA3;
  const bool isAlt = virtualKey == 0x12 || virtualKey == 0xA4 || virtualKey == 0xA5;
  if (altHeld || isAlt) return "Alt";
  if (ctrlHeld || isCtrl) return "Ctrl";
  if (shiftHeld || isShift) return "Shift";
  return std::string(KeyName(virtualKey));
}

}  // namespace tav
