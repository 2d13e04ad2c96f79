// The settings centre through its real dialog, opened from the main menu:
// the password cases, Cancel, the category page, start at log-on in step
// with the menu; and the upgrade command's scheme menu items.
#include <gtest/gtest.h>

#include <filesystem>

#include "actions/TextCipher.h"
#include "app/MainWindow.h"
#include "base/AtomicFile.h"
#include "base/PathConversion.h"
#include "base/TextEncoding.h"
#include "dialogs/SettingsDialog.h"
#include "platform/win32/Controls.h"
#include "platform/win32/Wide.h"
#include "res/resource.h"
#include "storage/SettingsFile.h"
#include "tests/win32/Win32TestSupport.h"

namespace tav::test {
namespace {

using Strings = std::vector<std::string>;

// Answers the overwrite question with Yes, every other box with OK.
class AnsweringPlatform : public QuietWin32Platform {
 public:
  int MessageBox(const std::string& text, const std::string& caption, unsigned style) override {
    QuietWin32Platform::MessageBox(text, caption, style);
    return (style & 0x0F) == mb::kYesNo ? mb::kIdYes : mb::kIdOk;
  }
};

bool IsChecked(HWND dialog, int id) {
  return SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Click(HWND dialog, int id) {
  SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0);
}

Strings ListTexts(HWND dialog) {
  HWND list = GetDlgItem(dialog, IDC_SET_SORT_LIST);
  Strings texts;
  const auto count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) texts.push_back(ListBoxItemText(list, i));
  return texts;
}

Strings MenuTexts(HMENU menu) {
  Strings texts;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
    texts.push_back(Narrow(text));
  }
  return texts;
}

class SettingsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = MakeProgramDirectory(
        ::testing::UnitTest::GetInstance()->current_test_info()->name(), SchemeXml({}));
    std::filesystem::create_directories(PathFromUtf8(directory_ + "Data"));
    form_ = std::make_unique<MainWindow>(platform_, directory_, login_, scheme_);
    ASSERT_TRUE(form_->Create());
  }
  void TearDown() override {
    if (form_) form_->UnregisterHotkeys(true);
    SystemOperations(platform_).WriteAutoRun(false);
  }
  std::string IniPath() const { return directory_ + "set.ini"; }
  std::string IniBytes() const { return FileExists(IniPath()) ? ReadWholeFile(IniPath()) : ""; }
  bool MenuAutoRun() const {
    return (GetMenuState(form_->menuBar(), IDM_AUTORUN, MF_BYCOMMAND) & MF_CHECKED) != 0;
  }
  // Opens the settings centre from the main menu and runs `action` on it
  // once it is up; answers how often it was shown.
  int OpenSettings(const std::function<void(HWND)>& action) {
    DialogWatch watch(L"设置中心", action);
    SendMessageW(form_->hwnd(), WM_COMMAND, MAKEWPARAM(IDM_SETTINGS, 0), 0);
    return watch.count();
  }

  AnsweringPlatform platform_;
  SchemeState scheme_;
  PasswordPrompt login_{platform_, scheme_.rememberedPassword};
  std::string directory_;
  std::unique_ptr<MainWindow> form_;
};

TEST_F(SettingsDialogTest, PasswordChangesThroughTheDialog) {
  const std::string abc = DigestText("abc");
  const struct {
    const char* name;
    std::string stored;
    bool tick;
    const char *oldPassword, *newPassword, *confirm;
    std::string message;  // empty: accepted and closed
    std::string digestAfter;
  } cases[] = {
      {"first password", "", true, "", "abc", "abc", "", abc},
      {"removed", abc, true, "abc", "", "", "", ""},
      {"changed", abc, true, "abc", "新口令", "新口令", "", DigestText("新口令")},
      {"unticked ignores the fields", abc, false, "x", "y", "z", "", abc},
      {"confirmation differs", abc, true, "abc", "a", "b", "两次新密码不一致，请重新输入|", abc},
      {"old one wrong", abc, true, "abd", "n", "n", "老密码输入不正确，请重新输入|", abc},
      {"old one given where none is set", "", true, "abc", "n", "n",
       "老密码输入不正确，请重新输入|", ""},
  };
  for (const auto& c : cases) {
    SettingsFile(directory_).Write({c.stored, std::nullopt, {"工作"}});
    const std::string before = IniBytes();
    platform_.messages.clear();
    bool closedByOk = false;
    PasswordCharWatch passwordChars;
    const int shown = OpenSettings([&](HWND dialog) {
      EXPECT_FALSE(IsChecked(dialog, IDC_SET_CHANGE_PASSWORD)) << c.name;
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SET_OLD_PASSWORD))) << c.name;
      for (int id : {IDC_SET_OLD_PASSWORD, IDC_SET_NEW_PASSWORD, IDC_SET_CHECK_PASSWORD})
        EXPECT_EQ(SendDlgItemMessageW(dialog, id, EM_GETPASSWORDCHAR, 0, 0), L'*') << c.name;
      if (c.tick) Click(dialog, IDC_SET_CHANGE_PASSWORD);
      EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, IDC_SET_NEW_PASSWORD)) != 0, c.tick) << c.name;
      SetDlgItemTextW(dialog, IDC_SET_OLD_PASSWORD, Widen(c.oldPassword).c_str());
      SetDlgItemTextW(dialog, IDC_SET_NEW_PASSWORD, Widen(c.newPassword).c_str());
      SetDlgItemTextW(dialog, IDC_SET_CHECK_PASSWORD, Widen(c.confirm).c_str());
      // A category removed on the page is stored only with the password.
      SendDlgItemMessageW(dialog, IDC_SET_SORT_LIST, LB_SETCURSEL, 0, 0);
      Click(dialog, IDC_SET_SORT_DELETE);
      PressButton(dialog, IDOK);
      closedByOk = !IsWindowVisible(dialog);
      if (!closedByOk) PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(shown, 1) << c.name;
    EXPECT_EQ(passwordChars.ids(), (std::vector<int>{IDC_SET_OLD_PASSWORD, IDC_SET_NEW_PASSWORD,
                                                     IDC_SET_CHECK_PASSWORD}))
        << c.name;
    if (c.message.empty()) {
      EXPECT_TRUE(closedByOk) << c.name;
      EXPECT_TRUE(platform_.messages.empty()) << c.name;
      EXPECT_EQ(ReadAccessPasswordDigest(directory_), c.digestAfter) << c.name;
      EXPECT_EQ(ReadCategories(directory_), Strings{}) << c.name;
    } else {
      EXPECT_FALSE(closedByOk) << c.name;
      EXPECT_EQ(platform_.messages, Strings{c.message}) << c.name;
      EXPECT_EQ(IniBytes(), before) << c.name << ": nothing stored";
    }
  }
}

TEST_F(SettingsDialogTest, CancelStoresNothingAndTheCategoryPageKeepsItsState) {
  WriteFileAtomically(IniPath(),
                      Utf8ToCp936("[Sort]\r\n娱乐=0\r\nGames=0\r\n[System]\r\n密码=\r\n"));
  const std::string before = IniBytes();
  const bool autoRunBefore = MenuAutoRun();
  OpenSettings([&](HWND dialog) {
    EXPECT_EQ(ItemText(dialog, IDC_SET_CHANGE_PASSWORD), "修改口令");
    EXPECT_EQ(ListTexts(dialog), (Strings{"Games", "娱乐"}));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SET_SORT_ADD)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SET_SORT_DELETE)));
    form_->settingsDialog().SelectPage(1);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_SET_SORT_LIST)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_SET_CHANGE_PASSWORD)));
    SetDlgItemTextW(dialog, IDC_SET_SORT_EDIT, L"  工作  ");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_SET_SORT_ADD)));
    Click(dialog, IDC_SET_SORT_ADD);
    EXPECT_EQ(ListTexts(dialog), (Strings{"Games", "工作", "娱乐"}));
    EXPECT_EQ(ItemText(dialog, IDC_SET_SORT_EDIT), "");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SET_SORT_ADD)));
    Click(dialog, IDC_SET_AUTORUN);
    Click(dialog, IDC_SET_RESTORE_CLIPBOARD);
    SetDlgItemTextW(dialog, IDC_SET_SORT_EDIT, L"留下");
    PressButton(dialog, IDCANCEL);
  });
  EXPECT_EQ(IniBytes(), before);
  EXPECT_EQ(MenuAutoRun(), autoRunBefore);

  // The next opening shows the last page and the edit's text; the list is
  // read afresh. Enter in the edit adds the category instead of closing.
  OpenSettings([&](HWND dialog) {
    EXPECT_EQ(form_->settingsDialog().page(), 1);
    EXPECT_EQ(ItemText(dialog, IDC_SET_SORT_EDIT), "留下");
    EXPECT_EQ(ListTexts(dialog), (Strings{"Games", "娱乐"}));
    SetFocus(GetDlgItem(dialog, IDC_SET_SORT_EDIT));
    PressButton(dialog, IDOK);
    EXPECT_TRUE(IsWindowVisible(dialog));
    SetDlgItemTextW(dialog, IDC_SET_SORT_EDIT, L"留下");
    PressButton(dialog, IDC_SET_SORT_ADD);  // twice in the list
    EXPECT_EQ(ListTexts(dialog), (Strings{"Games", "留下", "留下", "娱乐"}));
    SendDlgItemMessageW(dialog, IDC_SET_SORT_LIST, LB_SETCURSEL, 0, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SET_SORT_LIST, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_SET_SORT_LIST)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_SET_SORT_DELETE)));
    Click(dialog, IDC_SET_SORT_DELETE);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SET_SORT_DELETE)));
    SetFocus(GetDlgItem(dialog, IDOK));
    PressButton(dialog, IDOK);
  });
  EXPECT_EQ(ReadCategories(directory_), (Strings{"留下", "娱乐"}));
}

TEST_F(SettingsDialogTest, StartAtLogOnAndTheMenuMarkStayInStep) {
  for (const bool on : {true, false}) {
    OpenSettings([&](HWND dialog) {
      EXPECT_EQ(IsChecked(dialog, IDC_SET_AUTORUN), !on);
      if (IsChecked(dialog, IDC_SET_AUTORUN) != on) Click(dialog, IDC_SET_AUTORUN);
      Click(dialog, IDC_SET_RESTORE_CLIPBOARD);
      Click(dialog, IDC_SET_QUIET_FULL_SCREEN);
      PressButton(dialog, IDOK);
    });
    EXPECT_EQ(SettingsFile(directory_).ReadQuietInFullScreen(), on);
    const bool stored = SystemOperations(platform_).ReadAutoRun();
    EXPECT_EQ(stored, on) << "Wine lets the test write the Run keys";
    EXPECT_EQ(MenuAutoRun(), stored);
    EXPECT_EQ(form_->RestoresClipboardAfterPaste(), on);
  }
}

TEST_F(SettingsDialogTest, UpgradeCommandAddsEachNewSchemeToTheThreeMenusOnce) {
  WriteFileAtomically(
      directory_ + "Data\\工作.ini",
      Utf8ToCp936("[3+65]\r\n执行操作=notepad.exe\r\n提示=记事本\r\n类别=工具\r\n"));
  form_->SortByColumn(1);
  for (int run = 0; run < 2; ++run) {  // the second run overwrites
    SendMessageW(form_->hwnd(), WM_COMMAND, MAKEWPARAM(IDM_UPDATE, 0), 0);
    EXPECT_EQ(MenuTexts(form_->DeleteSchemeMenu()), Strings{"工作.xml"}) << run;
    for (HMENU menu : {form_->MainSchemeMenu(), form_->TraySchemeMenu()}) {
      const Strings texts = MenuTexts(menu);
      EXPECT_EQ(std::count(texts.begin(), texts.end(), "工作.xml"), 1) << run;
    }
  }
  // The active default scheme was not converted, so it is not reopened: the
  // list keeps its entries and its sort.
  EXPECT_EQ(ListView_GetItemCount(form_->listView()), 0);
  EXPECT_EQ(form_->sort().lastColumn(), 1);
  EXPECT_FALSE(CombinationTaken(MOD_CONTROL | MOD_ALT, 'A'));
  EXPECT_TRUE(FileExists(directory_ + "Data\\工作.xml"));
  EXPECT_TRUE(FileExists(directory_ + "Data\\工作.ini")) << "the INI file is kept";

  // hotkey.ini converted over the active scheme's file: the list and the
  // registrations follow the new file, so that a change or deletion by
  // position acts on the entries the user sees.
  WriteFileAtomically(directory_ + "hotkey.ini", Utf8ToCp936("[3+66]\r\n执行操作=calc.exe\r\n"));
  SendMessageW(form_->hwnd(), WM_COMMAND, MAKEWPARAM(IDM_UPDATE, 0), 0);
  EXPECT_EQ(ListView_GetItemCount(form_->listView()), 1);
  EXPECT_TRUE(CombinationTaken(MOD_CONTROL | MOD_ALT, 'B'));
}

TEST_F(SettingsDialogTest, HelpButtonOpensTheTopicOfThePageShown) {
  Strings topics;
  SettingsDialog setting(platform_, directory_, {},
                         [&](HWND, const std::string& topic) { topics.push_back(topic); });
  DialogWatch watch(L"设置中心", [&](HWND dialog) {
    PressButton(dialog, IDC_SET_HELP);
    setting.SelectPage(1);
    PressButton(dialog, IDC_SET_HELP);
    PressButton(dialog, IDCANCEL);
  });
  EXPECT_EQ(setting.ShowModal(form_->hwnd()), IDCANCEL);
  EXPECT_EQ(topics, (Strings{"SettingCenter.htm#基本设置", "SettingCenter.htm#类别设置"}));
}

}  // namespace
}  // namespace tav::test
