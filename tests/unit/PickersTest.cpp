// The operation chooser's tree and results, the favourites walk and where
// the pickers deliver.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "dialogs/model/Favourites.h"
#include "dialogs/model/InsertionTarget.h"
#include "dialogs/model/OperationTree.h"
#include "platform/RecordingPlatform.h"

namespace tav {

void PrintTo(const FavouriteNode& node, std::ostream* out) {
  *out << (node.isFolder ? "Folder(" : "Link(") << node.caption << " " << node.address;
  for (const FavouriteNode& child : node.children) PrintTo(child, out);
  *out << ")";
}

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Kind = LeafChoice::Kind;

// Every leaf with its tree path and result, in display order.
TEST(OperationTreeTest, EveryLeafGivesItsResult) {
  struct Leaf {
    const char* path;
    LeafChoice choice;
  };
  const Leaf expected[] = {
      {"Windows自带程序->画图", {Kind::kAction, "mspaint.exe"}},
      {"Windows自带程序->记事本", {Kind::kAction, "notepad.exe"}},
      {"Windows自带程序->写字板", {Kind::kAction, "wordpad.exe"}},
      {"Windows自带程序->计算器", {Kind::kAction, "calc.exe"}},
      {"Windows自带程序->命令提示符", {Kind::kAction, "cmd.exe"}},
      {"Windows自带程序->IE", {Kind::kAction, "iexplore.exe"}},
      {"关机->关闭计算机", {Kind::kAction, "关闭计算机"}},
      {"关机->重新启动计算机", {Kind::kAction, "重新启动计算机"}},
      {"关机->显示关机对话框", {Kind::kAction, "显示关机对话框"}},
      {"控制面板->控制面板", {Kind::kAction, "控制面板"}},
      {"控制面板->添加/删除程序", {Kind::kAction, "添加/删除程序"}},
      {"控制面板->系统属性", {Kind::kAction, "系统属性"}},
      {"控制面板->显示属性", {Kind::kAction, "显示属性"}},
      {"控制面板->日期/时间属性", {Kind::kAction, "日期/时间属性"}},
      {"控制面板->音量控制", {Kind::kAction, "sndvol32.exe"}},
      {"网络相关->打开网页->手动输入网址", {Kind::kAction, "http://"}},
      {"网络相关->打开网页->从收藏夹内选择", {Kind::kFavouritesPicker, ""}},
      {"网络相关->发邮件", {Kind::kAction, "mailto:"}},
      {"光驱->打开/关闭光驱", {Kind::kAction, "打开/关闭光驱"}},
      {"其他辅助功能->粘贴单行文字", {Kind::kPasteTextInput, ""}},
      {"Tavrelin相关->关闭Tavrelin", {Kind::kAction, "关闭Tavrelin"}},
      {"Tavrelin相关->显示Tavrelin", {Kind::kAction, "显示Tavrelin"}},
      {"Tavrelin相关->Tavrelin停止/开始工作", {Kind::kAction, "Tavrelin停止/开始工作"}},
  };
  // Walk the tree as the chooser shows it, building each leaf's path.
  std::vector<std::string> ancestors;
  size_t leaf = 0;
  for (const OperationNode& node : OperationNodes()) {
    ancestors.resize(static_cast<size_t>(node.depth));
    ancestors.push_back(node.caption);
    if (node.isFolder) continue;
    ASSERT_LT(leaf, std::size(expected));
    EXPECT_EQ(TreePath(ancestors), expected[leaf].path);
    EXPECT_EQ(ActionForLeaf(node.caption), expected[leaf].choice) << node.caption;
    ++leaf;
  }
  EXPECT_EQ(leaf, std::size(expected));
}

TEST(OperationTreeTest, FoldersHoldChildrenAndLeavesDoNot) {
  const auto nodes = OperationNodes();
  for (size_t i = 0; i < nodes.size(); ++i) {
    const bool hasChild = i + 1 < nodes.size() && nodes[i + 1].depth > nodes[i].depth;
    EXPECT_EQ(nodes[i].isFolder, hasChild) << nodes[i].caption;
  }
}

TEST(InsertionTargetTest, ResultsGoToTheTargetOnly) {
  std::vector<std::string> received;
  InsertionRouter router;
  router.SetHotkeyEditorSink([&](const std::string& target, const std::string& remark) {
    received.push_back("editor " + target + " | " + remark);
  });
  router.SetScriptEditorSink(
      [&](const std::string& text) { received.push_back("script " + text); });

  const PasteTextChoice paste = PasteTextResult("hello");
  router.Deliver(paste.action, paste.remark);
  router.set_target(InsertionTarget::kScriptEditor);
  router.Deliver("关闭Tavrelin", "Tavrelin相关->关闭Tavrelin");
  router.Deliver(paste.action, paste.remark);
  EXPECT_THAT(received, ElementsAre("editor PasteLine:hello | 粘贴单行文本：hello",
                                    "script 关闭Tavrelin", "script PasteLine:hello"));
}

TEST(InsertionTargetTest, InputExplanationHasEmptyLinesBetween) {
  EXPECT_EQ(InputExplanationText("新建方案"),
            "您可以为不同的需要建立一些热键方案。\r\n\r\n"
            "通过切换热键方案，您可以很方便的改变当前的热键设置，\r\n\r\n"
            "从而快速的适应不同的工作环境。");
  EXPECT_EQ(InputExplanation("添加类别").size(), 2u);
}

class FavouritesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    dir_ = fs::temp_directory_path() / ("tavrelin-favourites-" + std::to_string(random()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  void Shortcut(const fs::path& relative, const std::string& url) {
    fs::create_directories((dir_ / relative).parent_path());
    std::ofstream out(dir_ / relative, std::ios::binary);
    out << "[DEFAULT]\r\nBASEURL=ignored\r\n[InternetShortcut]\r\n";
    if (!url.empty()) out << "URL=" << url << "\r\n";
  }

  fs::path dir_;
  RecordingPlatform platform_;
};

FavouriteNode Link(const std::string& caption, const std::string& address) {
  return {caption, false, address, {}};
}
FavouriteNode Folder(const std::string& caption, std::vector<FavouriteNode> children) {
  return {caption, true, {}, std::move(children)};
}

TEST_F(FavouritesTest, FoldersFirstThenLinksWithSkipsAndCaptions) {
  Shortcut("Links/Site.url", "http://site.example/");
  Shortcut("Links/Deeper/Page.url", "http://page.example/");
  Shortcut("Alpha.url", "http://alpha.example/");
  Shortcut("NoUrl.url", "");
  Shortcut("Notes.url.txt", "http://notes.example/");
  Shortcut("desktop.ini", "x");
  Shortcut("a.lnk", "x");
  Shortcut("old.lnk.url", "x");
  Shortcut("Hidden/h.url", "x");
  Shortcut("Zeta/Upper.INI", "http://upper.example/");  // only ".ini" in lower case is skipped
  platform_.MarkHidden((dir_ / "Hidden").string());

  EXPECT_THAT(ReadFavourites(platform_, dir_.string()),
              ElementsAre(Folder("Links", {Folder("Deeper", {Link("Page", "http://page.example/")}),
                                           Link("Site", "http://site.example/")}),
                          Folder("Zeta", {Link("Upper.INI", "http://upper.example/")}),
                          Link("Alpha", "http://alpha.example/"), Link("NoUrl", ""),
                          Link("Notes.txt", "http://notes.example/")));
}

TEST_F(FavouritesTest, FolderFromTheRegistryOrTheKnownFolderButNeverARoot) {
  struct Case {
    const char* value;
    const char* known;
    const char* folder;
  };
  const Case cases[] = {
      {"D:\\Fav", "C:\\Users\\u\\Favorites", "D:\\Fav"},
      {"", "C:\\Users\\u\\Favorites", "C:\\Users\\u\\Favorites"},
      {"C:\\", "C:\\Users\\u\\Favorites", "C:\\Users\\u\\Favorites"},
      {"", "", ""},
      {"", "C:", ""},
  };
  for (const Case& c : cases) {
    RecordingPlatform platform;
    platform.SetShellFolderValue("Favorites", c.value);
    platform.SetKnownFavoritesFolder(c.known);
    EXPECT_EQ(FavouritesFolder(platform), c.folder) << c.value << "|" << c.known;
  }
  // An unknown folder gives an empty tree without listing anything.
  EXPECT_THAT(ReadFavourites(platform_, ""), IsEmpty());
  EXPECT_THAT(ReadFavourites(platform_, "C:\\"), IsEmpty());
  EXPECT_THAT(platform_.CallsStartingWith("ListDirectory"), IsEmpty());
  // A folder that does not exist gives an empty tree too.
  EXPECT_THAT(ReadFavourites(platform_, (dir_ / "missing").string()), IsEmpty());
}

}  // namespace
}  // namespace tav
