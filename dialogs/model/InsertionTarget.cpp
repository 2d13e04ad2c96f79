#include "dialogs/model/InsertionTarget.h"

namespace tav {

PasteTextChoice PasteTextResult(const std::string& text) {
  return {"PasteLine:" + text, "粘贴单行文本：" + text};
}

std::vector<std::string> InputExplanation(const std::string& caption) {
  if (caption == kNewSchemeCaption) {
    return {"您可以为不同的需要建立一些热键方案。",
            "通过切换热键方案，您可以很方便的改变当前的热键设置，",
            "从而快速的适应不同的工作环境。"};
  }
  if (caption == kPasteTextCaption) {
    return {"您可以设置热键用于对指定文本的粘贴。",
            "该项功能配合热键方案一起使用，可以方便的完成填表等工作。",
            "注意：使用该功能将会使当前的剪贴板清空,", "不建议使用“Alt + key”的热键。"};
  }
  return {"通过添加类别，可以方便您对热键的管理。",
          "您可以通过该类别来对热键进行排序，方便您对热键的查找。"};
}

std::string InputExplanationText(const std::string& caption) {
  std::string text;
  for (const std::string& line : InputExplanation(caption)) {
    if (!text.empty()) text += "\r\n\r\n";
    text += line;
  }
  return text;
}

}  // namespace tav
