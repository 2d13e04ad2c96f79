// The script editor opened from the hotkey editor: a script made with the
// insertion aids and saved lands in the hotkey editor's target field when
// the editor closes, the wizard's result goes in at the caret, and a script
// that cannot be read is reported without showing the editor.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/ScriptEditorLink.h"
#include "base/AtomicFile.h"
#include "base/PathConversion.h"
#include "base/TextEncoding.h"
#include "platform/RecordingPlatform.h"
#include "res/resource.h"
#include "tests/win32/Win32TestSupport.h"

namespace tav::test {
namespace {

class NoSchemeHost : public EntryEditorHost {
 public:
  std::string ActiveSchemePath() const override { return ""; }
  bool SchemeIsProtected() const override { return false; }
  std::string RememberedPassword() const override { return ""; }
  bool HotkeysPaused() const override { return false; }
  void ResetAndLoad() override {}
  void OpenScheme(const std::string&) override {}
  void ResetSortState() override {}
  const EntryTable& Slots() const override { return slots; }
  EntryTable slots{};
};

class ScriptEditorLinkTest : public ::testing::Test {
 protected:
  ScriptEditorLinkTest() {
    LinkScriptEditor(script_, dialogs_, platform_);
    script_.choosers.message = [](const std::string&, const std::string&, unsigned) {
      return IDYES;
    };
    dir_ = std::filesystem::temp_directory_path() / "tavrelin-script-link";
    std::filesystem::create_directories(dir_);
  }
  ~ScriptEditorLinkTest() override { std::filesystem::remove_all(dir_); }

  RecordingPlatform platform_;
  NoSchemeHost host_;
  EditingDialogs dialogs_{platform_, "C:\\prog\\", host_, {}};
  ScriptEditorWindow script_{platform_, "C:\\prog\\"};
  std::filesystem::path dir_;
};

TEST_F(ScriptEditorLinkTest, SavedScriptGoesToTheTargetFieldWhenTheEditorCloses) {
  const std::string path = PathToUtf8(dir_ / "copy");
  script_.choosers.saveScript = [&](const std::string&, const std::string&) { return path; };
  DialogWatch shown(L"编辑脚本 - [未命名]", [&](HWND window) {
    SendMessageW(window, WM_COMMAND, IDC_SCRIPT_ACTINGCOPY, 0);
    PostMessageW(window, WM_CLOSE, 0, 0);  // answered Yes: saved, then closed
  });
  dialogs_.editor().openScriptEditor(dialogs_.editor(),
                                     HotkeyEditorDialog::ScriptRequestFor("notepad.exe"));
  EXPECT_EQ(shown.count(), 1);
  EXPECT_EQ(dialogs_.editor().Input().action, path + ".tsc");
  EXPECT_EQ(Cp936ToUtf8(ReadWholeFile(path + ".tsc")),
            "$$/复制\r\nKey_Down~:Ctrl\r\nKey_Press:C\r\nKey_Up~~~:Ctrl\r\n\r\n");
  EXPECT_FALSE(IsWindowVisible(script_.hwnd()));
}

// A target naming a script that does not exist yet: the editor starts empty,
// its caption names that file as a new one, and the first save offers it.
TEST_F(ScriptEditorLinkTest, MissingScriptIsOfferedAsTheNameOfTheFirstSave) {
  const std::string path = PathToUtf8(dir_) + "\\新宏.tsc";
  std::string suggested;
  script_.choosers.saveScript = [&](const std::string&, const std::string& name) {
    suggested = name;
    return name;
  };
  DialogWatch shown(L"编辑脚本 - [新宏.tsc] (新文件)", [&](HWND window) {
    SendMessageW(window, WM_COMMAND, IDC_SCRIPT_ACTINGCOPY, 0);
    PostMessageW(window, WM_CLOSE, 0, 0);  // answered Yes: saved, then closed
  });
  dialogs_.editor().openScriptEditor(dialogs_.editor(), HotkeyEditorDialog::ScriptRequestFor(path));
  EXPECT_EQ(shown.count(), 1);
  EXPECT_EQ(suggested, path);
  EXPECT_EQ(Cp936ToUtf8(ReadWholeFile(path)),
            "$$/复制\r\nKey_Down~:Ctrl\r\nKey_Press:C\r\nKey_Up~~~:Ctrl\r\n\r\n");
  EXPECT_EQ(dialogs_.editor().Input().action, path);
}

bool IsInFrontOf(HWND window, HWND other) {
  for (HWND below = GetWindow(window, GW_HWNDNEXT); below; below = GetWindow(below, GW_HWNDNEXT)) {
    if (below == other) return true;
  }
  return false;
}

// Both windows stay on top of others; the script editor, shown modally over
// the hotkey editor, must come in front of it and stay there.
TEST_F(ScriptEditorLinkTest, EditorOpensInFrontOfTheHotkeyEditorItIsModalOver) {
  HWND hotkeyEditor = nullptr;
  HWND owner = nullptr;
  bool inFront = false;
  DialogWatch script(L"编辑脚本 - [未命名]", [&](HWND window) {
    owner = GetWindow(window, GW_OWNER);
    inFront = IsInFrontOf(window, hotkeyEditor);
    PostMessageW(window, WM_CLOSE, 0, 0);
  });
  DialogWatch editor(L"添加热键", [&](HWND dialog) {
    hotkeyEditor = dialog;
    PressButton(dialog, IDC_EDITOR_SCRIPT);
    PressButton(dialog, IDCANCEL);
  });
  dialogs_.editor().OpenForAdd(nullptr);
  ASSERT_EQ(script.count(), 1);
  EXPECT_EQ(owner, hotkeyEditor);
  EXPECT_TRUE(inFront);
  EXPECT_EQ(GetWindow(script_.hwnd(), GW_OWNER), nullptr);  // hidden, it belongs to nobody
}

TEST_F(ScriptEditorLinkTest, WizardResultGoesInAtTheCaret) {
  DialogWatch chooser(L"选择您要进行的操作", [&](HWND dialog) {
    ASSERT_TRUE(dialogs_.chooser().SelectPath({"Tavrelin相关", "关闭Tavrelin"}));
    PressButton(dialog, IDOK);
  });
  script_.ShowWizard();
  EXPECT_EQ(chooser.count(), 1);
  EXPECT_EQ(script_.EditorText(), "关闭Tavrelin");
  EXPECT_EQ(dialogs_.editor().Input().action, "");
}

TEST_F(ScriptEditorLinkTest, UnreadableScriptIsReportedAndTheEditorStaysHidden) {
  const std::string path = PathToUtf8(dir_ / "bad.tsc");
  WriteFileAtomically(path, "Key_Press:A\r\n\x81");
  DialogWatch shown(L"编辑脚本 - [未命名]",
                    [](HWND window) { PostMessageW(window, WM_CLOSE, 0, 0); });
  dialogs_.editor().openScriptEditor(dialogs_.editor(), HotkeyEditorDialog::ScriptRequestFor(path));
  EXPECT_EQ(shown.count(), 0);
  EXPECT_EQ(platform_.CallsStartingWith("MessageBox").size(), 1u);
}

// Made on first use: nothing of the editor exists until the hotkey editor
// asks for it, then the one editor made serves every later request, and its
// wizard button reaches the chooser.
TEST(ScriptEditorOnDemandTest, MadeAtTheFirstRequestAndKept) {
  RecordingPlatform platform;
  NoSchemeHost host;
  EditingDialogs dialogs{platform, "C:\\prog\\", host, {}};
  int made = 0;
  ScriptEditorOnDemand script([&] {
    ++made;
    return std::make_unique<ScriptEditorWindow>(platform, "C:\\prog\\");
  });
  LinkScriptEditor(script, dialogs, platform);
  EXPECT_EQ(made, 0);
  EXPECT_EQ(script.IfMade(), nullptr);

  DialogWatch shown(L"编辑脚本 - [未命名]",
                    [](HWND window) { PostMessageW(window, WM_CLOSE, 0, 0); });
  for (int request = 0; request < 2; ++request) {
    dialogs.editor().openScriptEditor(dialogs.editor(),
                                      HotkeyEditorDialog::ScriptRequestFor("notepad.exe"));
  }
  EXPECT_EQ(shown.count(), 2);
  EXPECT_EQ(made, 1);
  ASSERT_NE(script.IfMade(), nullptr);
  EXPECT_FALSE(IsWindowVisible(script.IfMade()->hwnd()));

  DialogWatch chooser(L"选择您要进行的操作", [&](HWND dialog) {
    ASSERT_TRUE(dialogs.chooser().SelectPath({"Tavrelin相关", "关闭Tavrelin"}));
    PressButton(dialog, IDOK);
  });
  script.IfMade()->ShowWizard();
  EXPECT_EQ(chooser.count(), 1);
  EXPECT_EQ(script.IfMade()->EditorText(), "关闭Tavrelin");
}

}  // namespace
}  // namespace tav::test
