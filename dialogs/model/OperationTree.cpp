#include "dialogs/model/OperationTree.h"

#include <iterator>
#include <string_view>

namespace tav {

namespace {

constexpr OperationNode kNodes[] = {
    {0, "Windows自带程序", true},
    {1, "画图", false},
    {1, "记事本", false},
    {1, "写字板", false},
    {1, "计算器", false},
    {1, "命令提示符", false},
    {1, "IE", false},
    {0, "关机", true},
    {1, "关闭计算机", false},
    {1, "重新启动计算机", false},
    {1, "显示关机对话框", false},
    {0, "控制面板", true},
    {1, "控制面板", false},
    {1, "添加/删除程序", false},
    {1, "系统属性", false},
    {1, "显示属性", false},
    {1, "日期/时间属性", false},
    {1, "音量控制", false},
    {0, "网络相关", true},
    {1, "打开网页", true},
    {2, "手动输入网址", false},
    {2, "从收藏夹内选择", false},
    {1, "发邮件", false},
    {0, "光驱", true},
    {1, "打开/关闭光驱", false},
    {0, "其他辅助功能", true},
    {1, "粘贴单行文字", false},
    {0, "Tavrelin相关", true},
    {1, "关闭Tavrelin", false},
    {1, "显示Tavrelin", false},
    {1, "Tavrelin停止/开始工作", false},
};

struct FixedResult {
  std::string_view caption;
  std::string_view action;
};

// Leaves whose result is not their caption.
constexpr FixedResult kFixedResults[] = {
    {"画图", "mspaint.exe"},      {"记事本", "notepad.exe"},   {"写字板", "wordpad.exe"},
    {"计算器", "calc.exe"},       {"命令提示符", "cmd.exe"},   {"IE", "iexplore.exe"},
    {"音量控制", "sndvol32.exe"}, {"手动输入网址", "http://"}, {"发邮件", "mailto:"},
};

}  // namespace

std::span<const OperationNode> OperationNodes() {
  return kNodes;
}

LeafChoice ActionForLeaf(const std::string& caption) {
  for (const FixedResult& fixed : kFixedResults) {
    if (caption == fixed.caption) return {LeafChoice::Kind::kAction, std::string(fixed.action)};
  }
  if (caption == "从收藏夹内选择") return {LeafChoice::Kind::kFavouritesPicker, {}};
  if (caption == "粘贴单行文字") return {LeafChoice::Kind::kPasteTextInput, {}};
  return {LeafChoice::Kind::kAction, caption};
}

std::string TreePath(const std::vector<std::string>& captions) {
  std::string path;
  for (size_t i = 0; i < captions.size(); ++i) {
    if (i > 0) path += "->";
    path += captions[i];
  }
  return path;
}

}  // namespace tav
