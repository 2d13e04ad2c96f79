// The editing dialogs reached from the real main window: "新建方案" makes a
// scheme that joins the menus and becomes active, "添加" adds an entry that
// is registered at once, "修改" replaces the selected entry.
#include "platform/win32/WinApi.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "app/EditorHost.h"
#include "base/AtomicFile.h"
#include "platform/win32/Controls.h"
#include "platform/win32/Wide.h"
#include "res/resource.h"
#include "tests/win32/Win32TestSupport.h"

namespace tav::test {
namespace {

std::vector<std::string> MenuTexts(HMENU menu) {
  std::vector<std::string> texts;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
    texts.push_back(Narrow(text));
  }
  return texts;
}

bool CheckedAt(HMENU menu, int position) {
  return (GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) & MF_CHECKED) != 0;
}

class MainWindowEditingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    directory_ =
        MakeProgramDirectory(std::string("main-editing-") +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name(),
                             SchemeXml({{"3+65", "notepad.exe"}}));
    form_ = std::make_unique<MainWindow>(platform_, directory_, login_, scheme_);
    ASSERT_TRUE(form_->Create());
    host_ = std::make_unique<MainWindowEditorHost>(*form_);
    editing_ = std::make_unique<EditingDialogs>(platform_, directory_, *host_,
                                                SchemeMenuCallbacksFor(*form_));
    ConnectEditingDialogs(*form_, *editing_, directory_);
  }
  void TearDown() override {
    form_->SetHotkeyEditor({});
    form_->SetNewSchemeDialog({});
    editing_.reset();
    if (form_) form_->UnregisterHotkeys(true);
  }
  void Command(int id) { SendMessageW(form_->hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }

  // Answers the "新建方案" input with `name`.
  void NewScheme(const std::wstring& name) {
    DialogWatch input(L"新建方案", [&](HWND dialog) {
      TypeAndPress(GetDlgItem(dialog, IDC_INPUT_EDIT), name, dialog, IDOK);
      // Declining to overwrite keeps the input open.
      if (IsWindowVisible(dialog)) PressButton(dialog, IDCANCEL);
    });
    Command(IDM_NEW_SCHEME);
    ASSERT_EQ(input.count(), 1);
  }

  QuietWin32Platform platform_;
  SchemeState scheme_;
  PasswordPrompt login_{platform_, scheme_.rememberedPassword};
  std::string directory_;
  std::unique_ptr<MainWindow> form_;
  std::unique_ptr<MainWindowEditorHost> host_;
  std::unique_ptr<EditingDialogs> editing_;
};

TEST_F(MainWindowEditingTest, NewSchemeBecomesActiveAndAnAddedEntryIsRegistered) {
  NewScheme(L"工作");
  EXPECT_EQ(scheme_.activePath, directory_ + "Data\\工作.xml");
  EXPECT_EQ(MenuTexts(form_->MainSchemeMenu()).back(), "工作.xml");
  EXPECT_EQ(MenuTexts(form_->TraySchemeMenu()).back(), "工作.xml");
  EXPECT_EQ(MenuTexts(form_->DeleteSchemeMenu()), std::vector<std::string>{"工作.xml"});
  EXPECT_TRUE(CheckedAt(form_->MainSchemeMenu(), 2));
  EXPECT_TRUE(CheckedAt(form_->TraySchemeMenu(), 2));
  EXPECT_EQ(ListView_GetItemCount(form_->listView()), 0);
  EXPECT_FALSE(CombinationTaken(MOD_CONTROL | MOD_ALT, 'A'));  // the default scheme's is gone

  DialogWatch editor(L"添加热键", [](HWND dialog) {
    SendMessageW(GetDlgItem(dialog, IDC_EDITOR_HOTKEY), HKM_SETHOTKEY,
                 MAKEWORD(VK_F9, HOTKEYF_CONTROL | HOTKEYF_ALT), 0);
    SetItemText(dialog, IDC_EDITOR_TARGET, "calc.exe");
    PressButton(dialog, IDC_EDITOR_OK);
  });
  Command(IDC_MAIN_ADD);
  ASSERT_EQ(editor.count(), 1);
  EXPECT_EQ(ListView_GetItemCount(form_->listView()), 1);
  EXPECT_EQ(ListItemText(form_->listView(), 0, 0), "Ctrl + ALT + F9");
  EXPECT_TRUE(form_->service().IsRegistered(0));
  EXPECT_TRUE(CombinationTaken(MOD_CONTROL | MOD_ALT, VK_F9));
}

TEST_F(MainWindowEditingTest, OverwritingTheActiveSchemeKeepsOneItemAndReopensIt) {
  NewScheme(L"工作");
  DialogWatch editor(L"添加热键", [](HWND dialog) {
    SendMessageW(GetDlgItem(dialog, IDC_EDITOR_HOTKEY), HKM_SETHOTKEY,
                 MAKEWORD(VK_F9, HOTKEYF_CONTROL | HOTKEYF_ALT), 0);
    SetItemText(dialog, IDC_EDITOR_TARGET, "calc.exe");
    PressButton(dialog, IDC_EDITOR_OK);
  });
  Command(IDC_MAIN_ADD);
  ASSERT_EQ(ListView_GetItemCount(form_->listView()), 1);

  NewScheme(L"工作");  // the quiet platform answers the overwrite question with OK: not Yes
  EXPECT_EQ(ListView_GetItemCount(form_->listView()), 1);

  platform_.answers.push_back(mb::kIdYes);
  NewScheme(L"工作");
  EXPECT_EQ(MenuTexts(form_->DeleteSchemeMenu()), std::vector<std::string>{"工作.xml"});
  EXPECT_EQ(ListView_GetItemCount(form_->listView()), 0);
  EXPECT_FALSE(CombinationTaken(MOD_CONTROL | MOD_ALT, VK_F9));
}

TEST_F(MainWindowEditingTest, ChangeReplacesTheSelectedEntry) {
  ListView_SetItemState(form_->listView(), 0, LVIS_SELECTED | LVIS_FOCUSED,
                        LVIS_SELECTED | LVIS_FOCUSED);
  Command(IDC_MAIN_CHANGE);
  HotkeyEditorDialog& editor = editing_->editor();
  ASSERT_TRUE(editor.IsShowing());
  EXPECT_EQ(editor.Input().hotkey, (HotkeyCode{3, 'A'}));
  EXPECT_EQ(editor.Input().action, "notepad.exe");
  SetItemText(editor.hwnd(), IDC_EDITOR_TARGET, "wordpad.exe");
  PressButton(editor.hwnd(), IDC_EDITOR_OK);
  EXPECT_FALSE(editor.IsShowing());
  EXPECT_EQ(ListItemText(form_->listView(), 0, 1), "wordpad.exe");
  EXPECT_TRUE(form_->service().IsRegistered(0));
}

}  // namespace
}  // namespace tav::test
