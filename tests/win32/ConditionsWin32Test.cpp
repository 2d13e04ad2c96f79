// The main window's side of entries switched off or limited to programs:
// the check boxes in front of the rows, the greyed off rows' registrations,
// the filter above the list, and conditioned entries registered only while
// their condition holds.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "app/MainWindow.h"
#include "base/PathConversion.h"
#include "platform/win32/Controls.h"
#include "platform/win32/Wide.h"
#include "res/resource.h"
#include "storage/SchemeFile.h"
#include "tests/win32/Win32TestSupport.h"

namespace tav::test {
namespace {

// A scheme whose entries are (key text, action, hint, attributes of hotkeyset).
std::string Xml(const std::vector<std::array<std::string, 4>>& entries) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<velmora><set><password></password></set>"
      "<hotkeylist>";
  for (const auto& e : entries) {
    xml += "<hotkeyset" + e[3] + "><hotkey>" + e[0] + "</hotkey><action>" + e[1] +
           "</action><hint>" + e[2] + "</hint><sort></sort></hotkeyset>";
  }
  return xml + "</hotkeylist></velmora>\r\n";
}

class ConditionsWin32Test : public ::testing::Test {
 protected:
  void Create(const std::string& name, const std::string& xml) {
    directory_ = MakeProgramDirectory(name, xml);
    std::filesystem::create_directories(PathFromUtf8(directory_ + "Data"));
    form_ = std::make_unique<MainWindow>(platform_, directory_, login_, scheme_);
    ASSERT_TRUE(form_->Create());
  }
  void TearDown() override {
    if (form_) form_->UnregisterHotkeys(true);
  }
  HWND list() const { return form_->listView(); }
  std::vector<std::string> Actions() const {
    std::vector<std::string> texts;
    for (int row = 0; row < ListView_GetItemCount(list()); ++row)
      texts.push_back(ListItemText(list(), row, 1));
    return texts;
  }
  // Handles the switch the list posted when a check box changed.
  void HandlePostedSwitch() {
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, form_->hwnd(), MainWindow::kEntrySwitchMessage,
                             MainWindow::kEntrySwitchMessage, PM_REMOVE));
    DispatchMessageW(&message);
  }

  QuietWin32Platform platform_;
  SchemeState scheme_;
  PasswordPrompt login_{platform_, scheme_.rememberedPassword};
  std::string directory_;
  std::unique_ptr<MainWindow> form_;
};

TEST_F(ConditionsWin32Test, CheckBoxesSwitchEntriesOffAndOnInTheFile) {
  Create("switch", Xml({{"3+65", "a.exe", "", ""}, {"3+66", "b.exe", "", " enabled=\"0\""}}));
  ASSERT_EQ(ListView_GetItemCount(list()), 2);
  EXPECT_TRUE(ListView_GetCheckState(list(), 0));
  EXPECT_FALSE(ListView_GetCheckState(list(), 1));
  EXPECT_TRUE(CombinationTaken(MOD_CONTROL | MOD_ALT, 'A'));
  EXPECT_FALSE(CombinationTaken(MOD_CONTROL | MOD_ALT, 'B')) << "switched off: unregistered";

  ListView_SetCheckState(list(), 1, TRUE);
  HandlePostedSwitch();
  EXPECT_TRUE(CombinationTaken(MOD_CONTROL | MOD_ALT, 'B')) << "switched on: registered at once";
  ListView_SetCheckState(list(), 0, FALSE);
  HandlePostedSwitch();
  EXPECT_FALSE(CombinationTaken(MOD_CONTROL | MOD_ALT, 'A'));

  SchemeDocument document;
  document.Load(form_->DefaultSchemePath());
  EXPECT_FALSE(document.Options(0).enabled);
  EXPECT_TRUE(document.Options(1).enabled);
  EXPECT_TRUE(ListView_GetCheckState(list(), 1)) << "the reloaded rows show the file";
  EXPECT_FALSE(ListView_GetCheckState(list(), 0));
}

TEST_F(ConditionsWin32Test, ConditionedEntriesHoldTheirCombinationOnlyWhereTheyFire) {
  // The test program is in front (or nothing is): never notepad.exe.
  Create("conditions", Xml({{"3+65", "a.exe", "", " when=\"only\" programs=\"notepad.exe\""},
                            {"3+66", "b.exe", "", " when=\"except\" programs=\"notepad.exe\""}}));
  EXPECT_FALSE(CombinationTaken(MOD_CONTROL | MOD_ALT, 'A'));
  EXPECT_TRUE(CombinationTaken(MOD_CONTROL | MOD_ALT, 'B'));
}

TEST_F(ConditionsWin32Test, FilterNarrowsTheRowsAndEscapeClearsIt) {
  Create("filter", Xml({{"3+65", "notepad.exe", "记事本", ""},
                        {"3+66", "calc.exe", "计算器", ""},
                        {"3+67", "cmd.exe", "命令行", ""}}));
  list();
  HWND filter = form_->filterEdit();
  ASSERT_NE(filter, nullptr);
  const struct {
    const wchar_t* typed;
    std::vector<std::string> rows;
  } cases[] = {
      {L"CALC", {"calc.exe"}},
      {L"记事", {"notepad.exe"}},  // the remark, which only the tooltip shows
      {L"alt + c", {"cmd.exe"}},   // the key text
      {L"zzz", {}},
      {L"", {"notepad.exe", "calc.exe", "cmd.exe"}},
  };
  for (const auto& c : cases) {
    SetWindowTextW(filter, c.typed);  // EN_CHANGE reaches the main window
    EXPECT_EQ(Actions(), c.rows) << Narrow(c.typed);
  }
  SetWindowTextW(filter, L"exe");
  ListView_SetItemState(list(), 0, LVIS_SELECTED, LVIS_SELECTED);
  SendMessageW(filter, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(TextOf(filter), "");
  EXPECT_EQ(ListView_GetItemCount(list()), 3);
  EXPECT_EQ(ListView_GetSelectedCount(list()), 0u);
}

}  // namespace
}  // namespace tav::test
