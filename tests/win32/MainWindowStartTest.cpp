// The main window in-process: opening schemes, captions, the list, and the
// registrations that follow from them.
#include <gtest/gtest.h>

#include "app/MainWindow.h"
#include "app/TrayIcon.h"
#include "platform/win32/Wide.h"
#include "platform/win32/WinApi.h"
#include "tests/win32/Win32TestSupport.h"

namespace tav::test {
namespace {

constexpr unsigned kCtrlAlt = MOD_CONTROL | MOD_ALT;

std::wstring Caption(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

int ListItemCount(MainWindow& form) {
  return ListView_GetItemCount(form.listView());
}

class MainWindowStartTest : public ::testing::Test {
 protected:
  void Start(const std::string& name, const std::string& schemeXml) {
    directory_ = MakeProgramDirectory(name, schemeXml);
    form_ = std::make_unique<MainWindow>(platform_, directory_, login_, scheme_);
    ASSERT_TRUE(form_->Create());
  }
  void TearDown() override {
    if (form_) form_->UnregisterHotkeys(true);
  }

  QuietWin32Platform platform_;
  SchemeState scheme_;
  PasswordPrompt login_{platform_, scheme_.rememberedPassword};
  std::string directory_;
  std::unique_ptr<MainWindow> form_;
};

TEST_F(MainWindowStartTest, StartOpensTheDefaultSchemeHiddenAndRegistersIt) {
  Start("default", SchemeXml({{"3+74", "notepad.exe"}, {"0+0", "listed only"}}));
  EXPECT_FALSE(IsWindowVisible(form_->hwnd()));
  EXPECT_EQ(Caption(form_->hwnd()), L"Tavrelin 4.6.0 Final -> 默认设置");
  EXPECT_EQ(ListItemCount(*form_), 2);
  EXPECT_TRUE(CombinationTaken(kCtrlAlt, 'J'));
  EXPECT_TRUE(form_->service().IsRegistered(0));
  EXPECT_FALSE(form_->service().IsRegistered(1)) << "0+0 is listed but not registered";
}

TEST_F(MainWindowStartTest, UserSchemeCaptionAndMissingScheme) {
  Start("user", SchemeXml({}));
  const std::string userScheme = directory_ + "Data\\工作.xml";
  WriteSchemeFile(userScheme, SchemeXml({{"3+75", "calc.exe"}}));
  ASSERT_TRUE(form_->OpenScheme(userScheme));
  EXPECT_EQ(Caption(form_->hwnd()), L"Tavrelin 4.6.0 Final->工作.xml");
  EXPECT_TRUE(CombinationTaken(kCtrlAlt, 'K'));

  EXPECT_FALSE(form_->OpenScheme(directory_ + "Data\\不存在.xml"));
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0], "配置文件“不存在.xml”不存在|");
  EXPECT_EQ(form_->scheme().activePath, userScheme) << "the previous scheme stays active";
  EXPECT_TRUE(CombinationTaken(kCtrlAlt, 'K'));
}

TEST_F(MainWindowStartTest, BadKeyTextStopsTheLoadAndRegistersNothingFromIt) {
  Start("badkey", SchemeXml({{"3+74", "notepad.exe"}, {"3+", "broken"}, {"3+76", "calc.exe"}}));
  // The error was reported by the general error report; the program goes on.
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_NE(platform_.messages[0].find("'' is not a valid integer value"), std::string::npos);
  EXPECT_EQ(ListItemCount(*form_), 1) << "entries read before the error stay listed";
  EXPECT_FALSE(CombinationTaken(kCtrlAlt, 'J'));
  EXPECT_FALSE(CombinationTaken(kCtrlAlt, 'L'));
}

TEST_F(MainWindowStartTest, MalformedSchemeIsReportedAndNothingRegistered) {
  Start("malformed", "<?xml version=\"1.0\" encoding=\"GB2312\"?><velmora><set>");
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(ListItemCount(*form_), 0);
}

TEST_F(MainWindowStartTest, PauseAndResumeThroughTheMenuCommand) {
  Start("pause", SchemeXml({{"3+77", "notepad.exe"}, {"3+80", "Tavrelin停止/开始工作"}}));
  form_->PauseOrResume();
  EXPECT_TRUE(form_->service().paused());
  EXPECT_FALSE(CombinationTaken(kCtrlAlt, 'M'));
  EXPECT_TRUE(CombinationTaken(kCtrlAlt, 'P')) << "the pause hotkey stays";

  // A paste from a script while paused suspends and restores the hotkeys:
  // the paused ones stay away.
  form_->UnregisterHotkeys(true);
  form_->RegisterAll();
  EXPECT_FALSE(CombinationTaken(kCtrlAlt, 'M'));
  EXPECT_TRUE(CombinationTaken(kCtrlAlt, 'P'));

  form_->PauseOrResume();
  EXPECT_FALSE(form_->service().paused());
  EXPECT_TRUE(CombinationTaken(kCtrlAlt, 'M'));
}

// Holds the keys in this thread's keyboard state, as GetKeyState sees it.
void HoldKeys(bool ctrl, bool alt) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = ctrl ? 0x80 : 0;
  keys[VK_MENU] = alt ? 0x80 : 0;
  SetKeyboardState(keys);
}

TEST_F(MainWindowStartTest, TrayLeftClickWithCtrlPausesBeforeAltEnds) {
  Start("tray", SchemeXml({{"3+78", "notepad.exe"}}));
  const struct {
    bool ctrl, alt;
    bool pausedAfter, closes;
  } clicks[] = {
      {true, true, true, false},  // Ctrl is looked at first: pause, the program goes on
      {true, false, false, false},
      {false, false, false, false},
      {false, true, false, true},
  };
  for (const auto& click : clicks) {
    SCOPED_TRACE(testing::Message() << "ctrl " << click.ctrl << ", alt " << click.alt);
    HoldKeys(click.ctrl, click.alt);
    SendMessageW(form_->hwnd(), MainWindow::kTrayMessage, 0, WM_LBUTTONUP);
    HoldKeys(false, false);
    EXPECT_EQ(form_->service().paused(), click.pausedAfter);
    MSG close;
    EXPECT_EQ(PeekMessageW(&close, form_->hwnd(), WM_CLOSE, WM_CLOSE, PM_REMOVE) != 0,
              click.closes);
  }
}

// A shell whose notification area is not there for the first `refusals`
// adds (Explorer still starting at log-on): the icon is added again on a
// timer whose delay doubles, the balloon asked for meanwhile comes once the
// icon is there, and a new taskbar gets the icon again.
TEST(TrayIconTest, IconRefusedAtLogOnIsAddedLaterAndKeepsItsBalloon) {
  struct Shell {
    int refusals = 3;
    bool present = false;
    int adds = 0;
    std::vector<std::wstring> balloons;
  } shell;
  HWND owner = CreateWindowExW(0, L"STATIC", L"tray owner", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               nullptr, nullptr);
  TrayIcon tray(owner, WM_APP, nullptr, L"Tavrelin", [&](DWORD message, NOTIFYICONDATAW* data) {
    if (message == NIM_ADD) {
      ++shell.adds;
      if (shell.refusals > 0) {
        --shell.refusals;
        return FALSE;
      }
      if (shell.present) return FALSE;  // an icon is added once
      shell.present = true;
      return TRUE;
    }
    if (message == NIM_MODIFY && shell.present && (data->uFlags & NIF_INFO))
      shell.balloons.push_back(data->szInfo);
    return static_cast<BOOL>(shell.present);
  });
  EXPECT_FALSE(tray.added());
  tray.ShowBalloon(L"Tavrelin", L"已在通知区域运行");

  std::vector<DWORD> waits;
  DWORD last = GetTickCount();
  const DWORD start = last;
  while (!tray.added() && GetTickCount() - start < 15000) {
    MSG message;
    if (PeekMessageW(&message, owner, WM_TIMER, WM_TIMER, PM_REMOVE)) {
      ASSERT_EQ(message.wParam, TrayIcon::kRetryTimer);
      waits.push_back(GetTickCount() - last);
      last = GetTickCount();
      tray.Retry();
    } else {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_TIMER);
    }
  }
  ASSERT_TRUE(tray.added());
  EXPECT_EQ(shell.adds, 4);
  ASSERT_EQ(waits.size(), 3u);
  for (size_t i = 0; i < waits.size(); ++i) {
    const DWORD planned = TrayIcon::kFirstRetryMs << i;
    EXPECT_GE(waits[i] + 50, planned) << i;
    EXPECT_LT(waits[i], planned + 1000) << i;
  }
  EXPECT_EQ(shell.balloons, std::vector<std::wstring>{L"已在通知区域运行"});
  EXPECT_EQ(tray.lastBalloon(), L"已在通知区域运行");

  // Explorer restarted: TaskbarCreated adds the icon again, at once.
  shell.present = false;
  tray.Restore();
  EXPECT_TRUE(tray.added());
  EXPECT_EQ(shell.adds, 5);
  DestroyWindow(owner);
}

}  // namespace
}  // namespace tav::test
