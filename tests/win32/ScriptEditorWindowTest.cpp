// The script editor window with its real Scintilla control: insertions and
// their undo, the key-capture field, the checked aids' messages, Save As
// naming, the close query, and the colours the scanner gives.
#include <gtest/gtest.h>

#include <scintilla/Scintilla.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/AtomicFile.h"
#include "base/PathConversion.h"
#include "base/TextEncoding.h"
#include "editor/ScriptEditorWindow.h"
#include "platform/RecordingPlatform.h"
#include "platform/win32/Controls.h"
#include "res/resource.h"

namespace tav {
namespace {

struct Message {
  std::string text, caption;
  unsigned style;
};

class ScriptEditorWindowTest : public ::testing::Test {
 protected:
  ScriptEditorWindowTest() {
    form_.choosers.message = [this](const std::string& text, const std::string& caption,
                                    unsigned style) {
      messages_.push_back({text, caption, style});
      if (answers_.empty()) return IDOK;
      const int answer = answers_.front();
      answers_.erase(answers_.begin());
      return answer;
    };
    form_.choosers.saveScript = [this](const std::string&, const std::string&) {
      return saveAnswer_;
    };
    form_.hooks.scriptClosed = [this](const std::string& name) { closedWith_ = name; };
    dir_ = std::filesystem::temp_directory_path() / "tavrelin-script-editor";
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    form_.NewScript();
  }
  ~ScriptEditorWindowTest() override { std::filesystem::remove_all(dir_); }

  std::string PathOf(const std::string& name) const { return PathToUtf8(dir_ / name); }
  // A new script whatever the last one was, its question answered No.
  void StartOver() {
    answers_ = {IDNO};
    form_.NewScript();
    answers_.clear();
    messages_.clear();
  }
  void Click(int id) { SendMessageW(form_.hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
  intptr_t Sci(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageW(form_.Editor(), message, wParam, lParam);
  }
  // Types text as the keyboard would: characters through WM_CHAR.
  void Type(const std::wstring& text) {
    for (wchar_t c : text) SendMessageW(form_.Editor(), WM_CHAR, c, 1);
  }
  // A key press as the window's message loop delivers it: the window's
  // shortcuts first, else the control (the editor unless another is given).
  void Press(UINT vk, const std::vector<int>& held, HWND control = nullptr) {
    BYTE keys[256] = {};
    for (int key : held) keys[key] = 0x80;
    SetKeyboardState(keys);
    MSG press{control ? control : form_.Editor(), WM_KEYDOWN, vk, 1, 0, {}};
    if (!TranslateAcceleratorW(form_.hwnd(), form_.Accelerators(), &press))
      SendMessageW(press.hwnd, WM_KEYDOWN, vk, 1);
    BYTE none[256] = {};
    SetKeyboardState(none);
  }
  void PressInKeyField(UINT vk, std::initializer_list<int> held = {}) {
    BYTE keys[256] = {};
    for (int key : held) keys[key] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(form_.Control(IDC_SCRIPT_KEY), WM_KEYDOWN, vk, 1);
    BYTE none[256] = {};
    SetKeyboardState(none);
  }

  RecordingPlatform platform_;
  ScriptEditorWindow form_{platform_, "C:\\prog\\"};
  std::vector<Message> messages_;
  std::vector<int> answers_;
  std::optional<std::string> saveAnswer_;
  std::optional<std::string> closedWith_;
  std::filesystem::path dir_;
};

TEST_F(ScriptEditorWindowTest, FixedInsertionsWriteTheirExactLines) {
  struct Case {
    int id;
    const char* text;
  };
  const std::vector<Case> cases = {
      {IDC_SCRIPT_ACTINGCUT, "$$/剪切\r\nKey_Down~:Ctrl\r\nKey_Press:X\r\nKey_Up~~~:Ctrl\r\n"},
      {IDC_SCRIPT_ACTINGCOPY, "$$/复制\r\nKey_Down~:Ctrl\r\nKey_Press:C\r\nKey_Up~~~:Ctrl\r\n"},
      {IDC_SCRIPT_ACTINGPASTE, "$$/粘贴\r\nKey_Down~:Ctrl\r\nKey_Press:V\r\nKey_Up~~~:Ctrl\r\n"},
      {IDC_SCRIPT_NOTE, "$$/"},
      {IDC_SCRIPT_MOUSE, "$$/左键单击\r\nMouse_btn:LDown\r\nMouse_btn:LUp\r\n"},
  };
  for (const Case& c : cases) {
    StartOver();
    Click(c.id);
    EXPECT_EQ(form_.EditorText(), c.text) << c.id;
    EXPECT_TRUE(form_.Model().Modified());
  }
  StartOver();
  SetText(form_.Control(IDC_SCRIPT_MOUSELIST), "左键双击");
  Click(IDC_SCRIPT_MOUSE);
  EXPECT_EQ(form_.EditorText(),
            "$$/左键双击\r\nMouse_btn:LDown\r\nMouse_btn:LUp\r\nDelay_ms~:200\r\nMouse_btn:"
            "LDown\r\nMouse_btn:LUp\r\n");
  StartOver();
  SetText(form_.Control(IDC_SCRIPT_DELAY), "500");
  Click(IDC_SCRIPT_INSTIME);
  EXPECT_EQ(form_.EditorText(), "$$/延时：毫秒(ms)\r\nDelay_ms~:500\r\n");
  EXPECT_TRUE(messages_.empty());
}

TEST_F(ScriptEditorWindowTest, InsertionIsOneUndoableStepAtTheCaretReplacingTheSelection) {
  Type(L"ab");
  Sci(SCI_SETSEL, 0, 1);
  Click(IDC_SCRIPT_NOTE);
  EXPECT_EQ(form_.EditorText(), "$$/b");
  Sci(SCI_GOTOPOS, 4);
  Click(IDC_SCRIPT_ACTINGCUT);
  EXPECT_EQ(form_.EditorText(),
            "$$/b$$/剪切\r\nKey_Down~:Ctrl\r\nKey_Press:X\r\nKey_Up~~~:Ctrl\r\n");
  // The caret stands at the start of the line after the insertion.
  EXPECT_EQ(Sci(SCI_GETCURRENTPOS), Sci(SCI_GETLENGTH));
  form_.UpdateActions();
  EXPECT_TRUE(form_.CommandEnabled(IDM_SCRIPT_UNDO));
  Click(IDM_SCRIPT_UNDO);
  EXPECT_EQ(form_.EditorText(), "$$/b");
  Click(IDM_SCRIPT_UNDO);
  EXPECT_EQ(form_.EditorText(), "ab");
  form_.UpdateActions();
  EXPECT_TRUE(form_.CommandEnabled(IDM_SCRIPT_REDO));
  Click(IDM_SCRIPT_REDO);
  EXPECT_EQ(form_.EditorText(), "$$/b");
}

TEST_F(ScriptEditorWindowTest, KeyCaptureFieldShowsModifierOrKeyNameAndKeepsTab) {
  HWND field = form_.Control(IDC_SCRIPT_KEY);
  PressInKeyField('A', {VK_SHIFT});
  EXPECT_EQ(TextOf(field), "Shift");
  PressInKeyField('A');
  EXPECT_EQ(TextOf(field), "A");
  PressInKeyField(VK_CONTROL, {VK_CONTROL});
  EXPECT_EQ(TextOf(field), "Ctrl");
  PressInKeyField(VK_DELETE);
  EXPECT_EQ(TextOf(field), "Delete");
  SendMessageW(field, WM_CHAR, 'x', 1);
  EXPECT_EQ(TextOf(field), "Delete");
  SendMessageW(field, WM_KEYUP, VK_SNAPSHOT, 1);
  EXPECT_EQ(TextOf(field), "Print Screen");

  // Tab is a key like any other: the dialog keys leave the focus here.
  ShowWindow(form_.hwnd(), SW_SHOW);
  form_.SelectAidsTab(1);
  SetFocus(field);
  PressInKeyField(VK_TAB);
  EXPECT_EQ(TextOf(field), "Tab");
  MSG tab{field, WM_KEYDOWN, VK_TAB, 1, 0, {}};
  IsDialogMessageW(form_.hwnd(), &tab);
  EXPECT_EQ(GetFocus(), field);
  ShowWindow(form_.hwnd(), SW_HIDE);

  SetText(form_.Control(IDC_SCRIPT_KEYSORT), "按住");
  PressInKeyField(VK_CONTROL, {VK_CONTROL});
  Click(IDC_SCRIPT_INSKEY);
  EXPECT_EQ(form_.EditorText(), "$$/按住\r\nKey_Down~:Ctrl\r\n");
}

TEST_F(ScriptEditorWindowTest, RefusedInsertionsShowTheirMessageAndChangeNothing) {
  struct Case {
    int control;
    const char* text;
    int button;
    const char* message;
  };
  const std::vector<Case> cases = {
      {IDC_SCRIPT_KEY, "", IDC_SCRIPT_INSKEY, "你还没有确定你要按的键"},
      {IDC_SCRIPT_KEYSORT, "按键一下", IDC_SCRIPT_INSKEY, "没有这个按键动作"},
      {IDC_SCRIPT_MOUSELIST, "中键单击", IDC_SCRIPT_MOUSE, "没有这个鼠标事件"},
      {IDC_SCRIPT_DELAY, "", IDC_SCRIPT_INSTIME, "你得确定你要延时的时间先"},
      {IDC_SCRIPT_UNIT, "天", IDC_SCRIPT_INSTIME, "没有这个时间单位"},
  };
  for (const Case& c : cases) {
    messages_.clear();
    SetText(form_.Control(c.control), c.text);
    Click(c.button);
    ASSERT_EQ(messages_.size(), 1u) << c.message;
    EXPECT_EQ(messages_[0].text, c.message);
    EXPECT_EQ(messages_[0].caption, "出错了");
    EXPECT_EQ(messages_[0].style, static_cast<unsigned>(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(form_.EditorText(), "");
  }
}

TEST_F(ScriptEditorWindowTest, TypingMarksModifiedAndSaveAsNamesTheFile) {
  EXPECT_EQ(form_.Caption(), "编辑脚本 - [未命名]");
  EXPECT_FALSE(form_.CommandEnabled(IDM_SCRIPT_SAVE));
  Type(L"Key_Press:A");
  EXPECT_EQ(form_.Caption(), "编辑脚本 - [未命名*]");
  EXPECT_TRUE(form_.CommandEnabled(IDM_SCRIPT_SAVE));

  const std::vector<std::pair<std::string, std::string>> names = {
      {"a.TSC", "a.TSC"}, {"a.txt", "a.txt.tsc"}, {"a", "a.tsc"}};
  for (const auto& [chosen, saved] : names) {
    saveAnswer_ = PathOf(chosen);
    Click(IDM_SCRIPT_SAVEAS);
    EXPECT_EQ(form_.Model().FileName(), PathOf(saved));
    EXPECT_EQ(ReadWholeFile(PathOf(saved)), "Key_Press:A\r\n");
    EXPECT_EQ(form_.Caption(), "编辑脚本 - [" + saved + "]");
    EXPECT_FALSE(form_.CommandEnabled(IDM_SCRIPT_SAVE));
  }
}

TEST_F(ScriptEditorWindowTest, CloseQueryCancelNoAndYes) {
  ShowWindow(form_.hwnd(), SW_SHOW);
  Type(L"x");
  answers_ = {IDCANCEL};
  SendMessageW(form_.hwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindowVisible(form_.hwnd()));
  EXPECT_EQ(form_.EditorText(), "x");
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, "脚本还未保存，要保存吗？");
  EXPECT_EQ(messages_[0].caption, "");
  EXPECT_EQ(messages_[0].style, static_cast<unsigned>(MB_YESNOCANCEL | MB_ICONQUESTION));

  answers_ = {IDNO};
  SendMessageW(form_.hwnd(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(form_.hwnd()));
  EXPECT_EQ(form_.EditorText(), "");
  EXPECT_EQ(closedWith_, std::nullopt);  // unnamed: the target field keeps its text

  ShowWindow(form_.hwnd(), SW_SHOW);
  form_.NewScript();
  Type(L"y");
  answers_ = {IDYES};
  saveAnswer_ = PathOf("closed");
  SendMessageW(form_.hwnd(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(form_.hwnd()));
  EXPECT_EQ(closedWith_, PathOf("closed.tsc"));
  EXPECT_EQ(ReadWholeFile(PathOf("closed.tsc")), "y\r\n");
  EXPECT_FALSE(form_.CommandEnabled(IDM_SCRIPT_SAVE));
}

TEST_F(ScriptEditorWindowTest, WindowShortcutsComeBeforeTheEditorsKeysAndBookmarksJump) {
  Type(L"one\rtwo\rthree");
  BYTE keys[256] = {};
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  MSG ctrlN{form_.Editor(), WM_KEYDOWN, 'N', 1, 0, {}};
  answers_ = {IDNO};
  const bool translated = TranslateAcceleratorW(form_.hwnd(), form_.Accelerators(), &ctrlN);
  BYTE none[256] = {};
  SetKeyboardState(none);
  EXPECT_TRUE(translated);
  ASSERT_EQ(messages_.size(), 1u);  // the question of New
  EXPECT_EQ(form_.EditorText(), "");

  Type(L"one\rtwo\rthree");
  Sci(SCI_GOTOLINE, 1);
  Click(IDM_SCRIPT_SET_BOOKMARK + 3);
  Sci(SCI_GOTOLINE, 2);
  Click(IDM_SCRIPT_SET_BOOKMARK + 3);  // moves bookmark 3 to the last line
  Sci(SCI_GOTOPOS, 0);
  Click(IDM_SCRIPT_GOTO_BOOKMARK + 3);
  EXPECT_EQ(Sci(SCI_LINEFROMPOSITION, Sci(SCI_GETCURRENTPOS)), 2);
  Click(IDM_SCRIPT_GOTO_BOOKMARK + 4);  // not set: the caret stays
  EXPECT_EQ(Sci(SCI_LINEFROMPOSITION, Sci(SCI_GETCURRENTPOS)), 2);
}

void PutOnClipboard(const std::wstring& text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  std::memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(block);
  SetClipboardData(CF_UNICODETEXT, block);
  CloseClipboard();
}

// Characters code page 936 lacks never reach the script as "?".
TEST_F(ScriptEditorWindowTest, TextCodePage936CannotHoldIsRefusedWhenTypedOrPasted) {
  ShowWindow(form_.hwnd(), SW_SHOW);
  SetFocus(form_.Editor());
  Type(
      L"a\x0E01\xD83D\xDE00"
      L"b按");  // a Thai letter and an emoji between
  EXPECT_EQ(form_.EditorText(), "ab按");

  PutOnClipboard(
      L"x\xD83D\xDE00"
      L"y");
  Click(IDM_SCRIPT_PASTE);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].caption, "出错了");
  EXPECT_EQ(form_.EditorText(), "ab按");

  PutOnClipboard(L"键");
  Click(IDM_SCRIPT_PASTE);
  EXPECT_EQ(form_.EditorText(), "ab按键");
  ShowWindow(form_.hwnd(), SW_HIDE);
}

std::string ClipboardText() {
  if (!OpenClipboard(nullptr)) return {};
  std::string text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    const auto* wide = static_cast<const char16_t*>(GlobalLock(data));
    text = Utf16ToUtf8(wide);
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

TEST_F(ScriptEditorWindowTest, ScintillasOwnEditingKeysThatAreNotOffered) {
  const int ctrl = VK_CONTROL, shift = VK_SHIFT;
  const struct {
    const char* name;
    UINT key;
    std::vector<int> held;
  } unlisted[] = {
      {"Ctrl+L", 'L', {ctrl}},
      {"Shift+Ctrl+L", 'L', {ctrl, shift}},
      {"Ctrl+D", 'D', {ctrl}},
      {"Ctrl+U", 'U', {ctrl}},
      {"Shift+Ctrl+T", 'T', {ctrl, shift}},
      {"Ctrl+Delete", VK_DELETE, {ctrl}},
      {"Shift+Ctrl+Delete", VK_DELETE, {ctrl, shift}},
      {"Shift+Ctrl+Backspace", VK_BACK, {ctrl, shift}},
  };
  for (const auto& key : unlisted) {
    Sci(SCI_SETTEXT, 0, reinterpret_cast<LPARAM>("abc def\r\nghi"));
    Sci(SCI_SETSEL, 2, 2);
    PutOnClipboard(L"clip");
    Press(key.key, key.held);
    EXPECT_EQ(form_.EditorText(), "abc def\r\nghi") << key.name;
    EXPECT_EQ(ClipboardText(), "clip") << key.name;
  }
  // A listed one still edits: Ctrl+Y deletes the line.
  Press('Y', {ctrl});
  EXPECT_EQ(form_.EditorText(), "ghi");
}

TEST_F(ScriptEditorWindowTest, IndentKeysMoveTheSelectedLinesAndKeepTheirText) {
  const std::vector<int> ctrlShift = {VK_CONTROL, VK_SHIFT};
  Sci(SCI_SETTEXT, 0, reinterpret_cast<LPARAM>("abc\r\ndef\r\nghi"));
  Sci(SCI_SETSEL, 1, 2);  // "b", within the first line
  Press('I', ctrlShift);
  EXPECT_EQ(form_.EditorText(), "\tabc\r\ndef\r\nghi");
  // Two lines: the selection ends at the start of the third.
  Sci(SCI_SETSEL, 0, Sci(SCI_POSITIONFROMLINE, 2));
  Press('I', ctrlShift);
  EXPECT_EQ(form_.EditorText(), "\t\tabc\r\n\tdef\r\nghi");
  Press('U', ctrlShift);
  EXPECT_EQ(form_.EditorText(), "\tabc\r\ndef\r\nghi");
  Press('U', ctrlShift);
  Press('U', ctrlShift);  // nothing left to take
  EXPECT_EQ(form_.EditorText(), "abc\r\ndef\r\nghi");
}

TEST_F(ScriptEditorWindowTest, PasteCommandFillsTheScriptAndTheFieldsKeepTheirOwnKeys) {
  ShowWindow(form_.hwnd(), SW_SHOW);
  form_.SelectAidsTab(2);
  HWND delay = form_.Control(IDC_SCRIPT_DELAY);
  SetFocus(delay);
  ASSERT_EQ(GetFocus(), delay);
  PutOnClipboard(L"25");
  Click(IDM_SCRIPT_PASTE);
  EXPECT_EQ(form_.EditorText(), "25");
  EXPECT_EQ(TextOf(delay), "");
  Press('V', {VK_CONTROL}, delay);
  EXPECT_EQ(TextOf(delay), "25");
  EXPECT_EQ(form_.EditorText(), "25");
  ShowWindow(form_.hwnd(), SW_HIDE);
}

TEST_F(ScriptEditorWindowTest, DelayFieldDiscardsOtherCharactersWithoutABalloon) {
  HWND delay = form_.Control(IDC_SCRIPT_DELAY);
  EXPECT_EQ(GetWindowLongW(delay, GWL_STYLE) & ES_NUMBER, 0) << "ES_NUMBER refuses with a balloon";
  for (wchar_t c : std::wstring_view(L"1a2 -3\x4E2D")) SendMessageW(delay, WM_CHAR, c, 1);
  EXPECT_EQ(TextOf(delay), "123");
  SendMessageW(delay, WM_CHAR, VK_BACK, 1);
  EXPECT_EQ(TextOf(delay), "12");
  PutOnClipboard(L"x4 5");
  SendMessageW(delay, WM_PASTE, 0, 0);
  EXPECT_EQ(TextOf(delay), "1245");
}

TEST_F(ScriptEditorWindowTest, OpenedScriptIsColouredByTheScanner) {
  const std::string path = PathOf("colours.tsc");
  WriteFileAtomically(path, Utf8ToCp936("$$/打开\r\nHello \"s\" x\r\n@$% a\r\nb @$% World\r\n"));
  ASSERT_TRUE(form_.OpenScriptFile(path));
  EXPECT_EQ(form_.Caption(), "编辑脚本 - [colours.tsc]");
  Sci(SCI_COLOURISE, 0, -1);
  const auto styleAt = [&](int line, int column) {
    return static_cast<int>(Sci(SCI_GETSTYLEAT, Sci(SCI_POSITIONFROMLINE, line) + column));
  };
  EXPECT_EQ(styleAt(0, 0), 0);                    // comment
  EXPECT_EQ(styleAt(0, 4), 0);                    // the Chinese text inside it
  EXPECT_EQ(styleAt(1, 0), 2);                    // reserved word
  EXPECT_EQ(styleAt(1, 5), 4);                    // space
  EXPECT_EQ(styleAt(1, 6), 5);                    // string
  EXPECT_EQ(styleAt(1, 10), 1);                   // identifier
  EXPECT_EQ(styleAt(2, 4), 0);                    // the open comment ...
  EXPECT_EQ(styleAt(3, 0), 0);                    // ... goes on over the next line
  EXPECT_EQ(styleAt(3, 6), 2);                    // after its end: World
  EXPECT_EQ(Sci(SCI_STYLEGETFORE, 0), 0x800000);  // navy
  EXPECT_EQ(Sci(SCI_STYLEGETITALIC, 0), 1);
  EXPECT_EQ(Sci(SCI_STYLEGETFORE, 5), 0x0000FF);  // red
  EXPECT_EQ(Sci(SCI_STYLEGETBOLD, 2), 1);

  // Typing the closing marker away reopens the comment below.
  Sci(SCI_SETSEL, Sci(SCI_POSITIONFROMLINE, 3) + 2, Sci(SCI_POSITIONFROMLINE, 3) + 5);
  Sci(SCI_REPLACESEL, 0, reinterpret_cast<LPARAM>(""));
  Sci(SCI_COLOURISE, 0, -1);
  EXPECT_EQ(styleAt(3, 3), 0);
}

}  // namespace
}  // namespace tav
