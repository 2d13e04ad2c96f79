// The password prompt, alone and as the gate of a protected scheme. Each test
// answers the prompt through a watch that acts once the prompt is up.
#include <gtest/gtest.h>

#include <memory>

#include "actions/TextCipher.h"
#include "app/MainWindow.h"
#include "dialogs/PasswordPrompt.h"
#include "res/resource.h"
#include "tests/win32/Win32TestSupport.h"

namespace tav::test {
namespace {

constexpr unsigned kCtrlAlt = MOD_CONTROL | MOD_ALT;

// What the prompt's warning box showed, and how it stood to the prompt.
struct Warning {
  std::wstring text;
  bool ownedByPrompt;
  bool promptDisabled;
};

class PasswordPromptTest : public ::testing::Test {
 protected:
  // Answers the prompt the next time it is shown: each (text, button) pair
  // is typed and pressed in turn.
  void AnswerPrompt(std::vector<std::pair<std::wstring, int>> steps) {
    prompt_ = std::make_unique<DialogWatch>(L"密码", [steps = std::move(steps)](HWND prompt) {
      for (const auto& [text, button] : steps) {
        TypeAndPress(GetDlgItem(prompt, IDC_LOGIN_PASSWORD), text, prompt, button);
      }
    });
  }

  QuietWin32Platform platform_;
  SchemeState scheme_;
  PasswordPrompt login_{platform_, scheme_.rememberedPassword};
  std::unique_ptr<DialogWatch> prompt_;
  // Every warning box is recorded and answered with OK.
  std::vector<Warning> warnings_;
  DialogWatch warningWatch_{
      L"警告", [this](HWND box) {
        const HWND owner = GetWindow(box, GW_OWNER);
        warnings_.push_back({MessageBoxText(box), owner && owner == login_.hwnd(),
                             owner && !IsWindowEnabled(owner)});
        PressButton(box, IDOK);
      }};
};

TEST_F(PasswordPromptTest, RightPasswordIsAcceptedAndRememberedInSchemeOpenMode) {
  AnswerPrompt({{L"口令abc", IDOK}});
  EXPECT_TRUE(login_.Run(DigestText("口令abc"), /*checkOnly=*/false, nullptr));
  EXPECT_EQ(prompt_->count(), 1);
  EXPECT_EQ(scheme_.rememberedPassword, "口令abc");
  EXPECT_FALSE(login_.IsShowing());
  EXPECT_TRUE(warnings_.empty());
}

TEST_F(PasswordPromptTest, CheckOnlyModeLeavesTheRememberedPassword) {
  scheme_.rememberedPassword = "scheme";
  AnswerPrompt({{L"access", IDOK}});
  EXPECT_TRUE(login_.Run(DigestText("access"), /*checkOnly=*/true, nullptr));
  EXPECT_EQ(scheme_.rememberedPassword, "scheme");
}

TEST_F(PasswordPromptTest, WrongPasswordWarnsOwnedByThePromptWhichStaysWithTheText) {
  bool stillOpenAfterWrongPassword = false;
  std::wstring textAfterWrongPassword;
  prompt_ = std::make_unique<DialogWatch>(L"密码", [&](HWND prompt) {
    HWND edit = GetDlgItem(prompt, IDC_LOGIN_PASSWORD);
    TypeAndPress(edit, L"wrong", prompt, IDOK);
    stillOpenAfterWrongPassword = IsWindowVisible(prompt) != 0;
    wchar_t text[64] = {};
    GetWindowTextW(edit, text, 64);
    textAfterWrongPassword = text;
    PressButton(prompt, IDCANCEL);
  });
  EXPECT_FALSE(login_.Run(DigestText("right"), /*checkOnly=*/false, nullptr));
  EXPECT_TRUE(stillOpenAfterWrongPassword);
  EXPECT_EQ(textAfterWrongPassword, L"wrong") << "the typed text stays";
  ASSERT_EQ(warnings_.size(), 1u);
  EXPECT_EQ(warnings_[0].text, L"密码不正确！");
  // A box of its own would leave the prompt taking Enter, and each Enter
  // would stack another box.
  EXPECT_TRUE(warnings_[0].ownedByPrompt);
  EXPECT_TRUE(warnings_[0].promptDisabled);
  EXPECT_EQ(scheme_.rememberedPassword, "");
  EXPECT_TRUE(platform_.messages.empty());
}

TEST_F(PasswordPromptTest, EmptyPasswordIsDigestedToo) {
  AnswerPrompt({{L"", IDOK}});
  EXPECT_TRUE(login_.Run(DigestText(""), /*checkOnly=*/false, nullptr));
}

TEST_F(PasswordPromptTest, ThePromptIsOwnedByTheVisibleOpenerAndDisablesIt) {
  HWND opener = CreateWindowExW(0, L"STATIC", L"opener", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                nullptr, nullptr, nullptr, nullptr);
  bool openerDisabled = false;
  HWND owner = nullptr;
  prompt_ = std::make_unique<DialogWatch>(L"密码", [&](HWND prompt) {
    openerDisabled = !IsWindowEnabled(opener);
    owner = GetWindow(prompt, GW_OWNER);
    PressButton(prompt, IDCANCEL);
  });
  EXPECT_FALSE(login_.Run(DigestText("x"), /*checkOnly=*/true, opener));
  EXPECT_TRUE(openerDisabled);
  EXPECT_EQ(owner, opener);
  EXPECT_TRUE(IsWindowEnabled(opener)) << "enabled again after the prompt";
  DestroyWindow(opener);
}

// A prompt nobody asked for (at start) while the user works in another
// program waits behind it, flashing, with an edit that takes no keys, and
// calls for the tray's balloon; a click brings it forward with the focus in
// the edit. One asked for comes to the front at once.
TEST_F(PasswordPromptTest, UnaskedPromptLeavesTheKeyboardToTheProgramInFront) {
  ForegroundNotepad other;
  ASSERT_TRUE(other.ready());
  struct Seen {
    HWND foreground = nullptr;
    bool editEnabled = true;
    bool waiting = false;
    bool focusedAfterClick = false;
  };
  for (const bool unasked : {true, false}) {
    SetForegroundWindow(other.window());
    ASSERT_TRUE(Eventually([&] { return GetForegroundWindow() == other.window(); }));
    Seen seen;
    int balloons = 0;
    login_.waitingBehind = [&] { ++balloons; };
    login_.SetUnasked(unasked);
    prompt_ = std::make_unique<DialogWatch>(L"密码", [&](HWND prompt) {
      const HWND edit = GetDlgItem(prompt, IDC_LOGIN_PASSWORD);
      seen.foreground = GetForegroundWindow();
      seen.editEnabled = IsWindowEnabled(edit);
      seen.waiting = login_.waitingForClick();
      SetForegroundWindow(prompt);  // what the user's click does
      seen.focusedAfterClick = Eventually([&] { return GetFocus() == edit; }, 5000);
      TypeAndPress(edit, L"口令", prompt, IDOK);
    });
    EXPECT_TRUE(login_.Run(DigestText("口令"), /*checkOnly=*/true, nullptr)) << unasked;
    EXPECT_EQ(seen.foreground == other.window(), unasked) << unasked;
    EXPECT_EQ(seen.editEnabled, !unasked) << unasked;
    EXPECT_EQ(seen.waiting, unasked) << unasked;
    EXPECT_EQ(balloons, unasked ? 1 : 0) << unasked;
    EXPECT_TRUE(seen.focusedAfterClick) << unasked;
  }
  login_.SetUnasked(false);
}

// A protected scheme: every text encrypted with the password.
std::string ProtectedSchemeXml(const std::string& password) {
  return SchemeXml({{EncryptText(password, "3+81"), EncryptText(password, "记事本.exe")}},
                   DigestText(password));
}

TEST_F(PasswordPromptTest, ProtectedSchemeOpensAfterItsPasswordAndItsEntriesAreDecrypted) {
  const std::string directory = MakeProgramDirectory("protected", ProtectedSchemeXml("密码1"));
  AnswerPrompt({{L"密码1", IDOK}});
  MainWindow form(platform_, directory, login_, scheme_);
  ASSERT_TRUE(form.Create());

  EXPECT_TRUE(form.scheme().isProtected);
  EXPECT_EQ(form.service().slots()[0].action, "记事本.exe");
  EXPECT_TRUE(CombinationTaken(kCtrlAlt, 'Q'));
  EXPECT_TRUE(platform_.messages.empty());

  // Opened again with the remembered password, it does not ask.
  EXPECT_TRUE(form.OpenScheme(form.DefaultSchemePath()));
  EXPECT_EQ(prompt_->count(), 1);
  form.UnregisterHotkeys(true);
}

TEST_F(PasswordPromptTest, CancelledPasswordLeavesNoSchemeAndRegistersNothing) {
  const std::string directory = MakeProgramDirectory("cancelled", ProtectedSchemeXml("secret"));
  AnswerPrompt({{L"wrong", IDOK}, {L"", IDCANCEL}});
  MainWindow form(platform_, directory, login_, scheme_);
  ASSERT_TRUE(form.Create());

  EXPECT_EQ(form.scheme().activePath, "");
  EXPECT_FALSE(form.service().IsRegistered(0));
  EXPECT_FALSE(CombinationTaken(kCtrlAlt, 'Q'));
  ASSERT_EQ(warnings_.size(), 1u);
  EXPECT_EQ(warnings_[0].text, L"密码不正确！");
}

}  // namespace
}  // namespace tav::test
