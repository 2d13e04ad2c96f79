// The password prompt, alone and as the gate of a protected scheme.
#include <gtest/gtest.h>

#include "actions/TextCipher.h"
#include "app/MainForm.h"
#include "dialogs/LoginForm.h"
#include "tests/win32/Win32TestSupport.h"

namespace tav::test {
namespace {

constexpr unsigned kCtrlAlt = MOD_CONTROL | MOD_ALT;

class LoginFormTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(login_.Create()); }

  // Answers the prompt that is about to be shown: each (text, button) pair
  // is typed and pressed in turn, a moment apart.
  void AnswerPrompt(std::vector<std::pair<std::wstring, int>> steps) {
    int delay = 200;
    for (const auto& [text, button] : steps) {
      RunLater(delay, [this, text = text, button = button] {
        TypeAndPress(login_.passwordEdit(), text, login_.hwnd(), button);
      });
      delay += 200;
    }
  }

  QuietWin32Platform platform_;
  SchemeState scheme_;
  TfrmLogin login_{platform_, scheme_.rememberedPassword};
};

TEST_F(LoginFormTest, RightPasswordIsAcceptedAndRememberedInSchemeOpenMode) {
  AnswerPrompt({{L"口令abc", IDOK}});
  EXPECT_TRUE(login_.Run(DigestText("口令abc"), /*checkOnly=*/false, nullptr));
  EXPECT_EQ(scheme_.rememberedPassword, "口令abc");
  EXPECT_FALSE(IsWindowVisible(login_.hwnd()));
  EXPECT_TRUE(platform_.messages.empty());
}

TEST_F(LoginFormTest, CheckOnlyModeLeavesTheRememberedPassword) {
  scheme_.rememberedPassword = "scheme";
  AnswerPrompt({{L"access", IDOK}});
  EXPECT_TRUE(login_.Run(DigestText("access"), /*checkOnly=*/true, nullptr));
  EXPECT_EQ(scheme_.rememberedPassword, "scheme");
}

TEST_F(LoginFormTest, WrongPasswordIsRefusedThePromptStaysAndCancelLeavesItUnaccepted) {
  bool stillOpenAfterWrongPassword = false;
  std::wstring textAfterWrongPassword;
  RunLater(200, [&] { TypeAndPress(login_.passwordEdit(), L"wrong", login_.hwnd(), IDOK); });
  RunLater(400, [&] {
    stillOpenAfterWrongPassword = IsWindowVisible(login_.hwnd()) != 0;
    wchar_t text[64] = {};
    GetWindowTextW(login_.passwordEdit(), text, 64);
    textAfterWrongPassword = text;
    SendMessageW(login_.hwnd(), WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_FALSE(login_.Run(DigestText("right"), /*checkOnly=*/false, nullptr));
  EXPECT_TRUE(stillOpenAfterWrongPassword);
  EXPECT_EQ(textAfterWrongPassword, L"wrong") << "the typed text stays";
  EXPECT_EQ(platform_.messages, std::vector<std::string>{"密码不正确！|警告"});
  EXPECT_EQ(scheme_.rememberedPassword, "");
}

TEST_F(LoginFormTest, EmptyPasswordIsDigestedToo) {
  AnswerPrompt({{L"", IDOK}});
  EXPECT_TRUE(login_.Run(DigestText(""), /*checkOnly=*/false, nullptr));
}

// A protected scheme: every text encrypted with the password.
std::string ProtectedSchemeXml(const std::string& password) {
  return SchemeXml({{EncryptText(password, "3+81"), EncryptText(password, "记事本.exe")}},
                   DigestText(password));
}

TEST_F(LoginFormTest, ProtectedSchemeOpensAfterItsPasswordAndItsEntriesAreDecrypted) {
  const std::string directory = MakeProgramDirectory("protected", ProtectedSchemeXml("密码1"));
  AnswerPrompt({{L"密码1", IDOK}});
  TMainForm form(platform_, directory, login_, scheme_);
  ASSERT_TRUE(form.Create());

  EXPECT_TRUE(form.scheme().isProtected);
  EXPECT_EQ(form.service().slots()[0].action, "记事本.exe");
  EXPECT_TRUE(CombinationTaken(kCtrlAlt, 'Q'));
  EXPECT_TRUE(platform_.messages.empty());

  // Opened again with the remembered password, it does not ask.
  EXPECT_TRUE(form.OpenScheme(form.DefaultSchemePath()));
  form.UnregisterHotkeys(true);
}

TEST_F(LoginFormTest, CancelledPasswordLeavesNoSchemeAndRegistersNothing) {
  const std::string directory = MakeProgramDirectory("cancelled", ProtectedSchemeXml("secret"));
  AnswerPrompt({{L"wrong", IDOK}, {L"", IDCANCEL}});
  TMainForm form(platform_, directory, login_, scheme_);
  ASSERT_TRUE(form.Create());

  EXPECT_EQ(form.scheme().activePath, "");
  EXPECT_FALSE(form.service().IsRegistered(0));
  EXPECT_FALSE(CombinationTaken(kCtrlAlt, 'Q'));
  EXPECT_EQ(platform_.messages, std::vector<std::string>{"密码不正确！|警告"});
}

}  // namespace
}  // namespace tav::test
