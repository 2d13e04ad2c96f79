// The editing dialogs as real windows: the hotkey editor writing the scheme
// file, the operation chooser and favourites picker delivering to it or to
// the script editor, the input dialog creating a scheme. Each test answers
// the modal dialogs through watches that act once a dialog is up.
#include "platform/win32/WinApi.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "actions/TextCipher.h"
#include "base/AtomicFile.h"
#include "dialogs/HotkeyEditorDialog.h"
#include "dialogs/InputDialog.h"
#include "dialogs/OperationChooserDialog.h"
#include "platform/win32/Controls.h"
#include "platform/win32/Wide.h"
#include "res/resource.h"
#include "storage/SchemeFile.h"
#include "tests/win32/Win32TestSupport.h"

namespace tav::test {
namespace {

// The main window's side of the editor over the test's scheme file.
class TestHost : public EntryEditorHost {
 public:
  std::string ActiveSchemePath() const override { return path; }
  bool SchemeIsProtected() const override { return !password.empty(); }
  std::string RememberedPassword() const override { return password; }
  bool HotkeysPaused() const override { return false; }
  void ResetAndLoad() override { reloads.push_back("ResetAndLoad"); }
  void OpenScheme(const std::string& opened) override {
    reloads.push_back("OpenScheme " + FileNameOf(opened));
  }
  void ResetSortState() override {}
  const EntryTable& Slots() const override { return slots; }

  std::string path;
  std::string password;
  EntryTable slots{};
  std::vector<std::string> reloads;
};

std::vector<SchemeEntry> EntriesOf(const std::string& path) {
  SchemeDocument document;
  document.Load(path);
  std::vector<SchemeEntry> entries;
  for (int i = 0; i < document.EntryCount(); ++i) entries.push_back(document.Entry(i));
  return entries;
}

void SetHotkey(HWND editor, unsigned controlBits, unsigned virtualKey) {
  HWND hotkey = GetDlgItem(editor, IDC_EDITOR_HOTKEY);
  SendMessageW(hotkey, HKM_SETHOTKEY, MAKEWORD(virtualKey, controlBits), 0);
  // A key typed into the control notifies the dialog the same way.
  SendMessageW(editor, WM_COMMAND, MAKEWPARAM(IDC_EDITOR_HOTKEY, EN_CHANGE),
               reinterpret_cast<LPARAM>(hotkey));
}

void SetField(HWND dialog, int id, const std::string& text) {
  SetItemText(dialog, id, text);
}

// Enter pressed in a control, as the dialog's message loop sees it.
void PressEnterIn(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  SetFocus(control);
  MSG message{control, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  IsDialogMessageW(dialog, &message);
}

class EditingDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.path = directory_ + "hotkey.xml";
    router_.SetHotkeyEditorSink([this](const std::string& target, const std::string& remark) {
      editor_.SetTargetAndRemark(target, remark);
    });
  }

  // Opens the editor for an add and runs `action` on it once it is up.
  void WithAddEditor(const std::function<void(HWND)>& action) {
    DialogWatch watch(L"添加热键", action);
    editor_.OpenForAdd(nullptr);
    ASSERT_EQ(watch.count(), 1);
  }

  // The program's start registers the common controls' classes; so do the tests.
  bool controlsReady_ = [] {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    return InitCommonControlsEx(&controls) != FALSE;
  }();
  std::string directory_ = MakeProgramDirectory(
      std::string("editing-") + ::testing::UnitTest::GetInstance()->current_test_info()->name(),
      SchemeXml({}));
  QuietWin32Platform platform_;
  TestHost host_;
  InsertionRouter router_;
  std::vector<std::string> menuCalls_;
  SchemeMenuCallbacks menus_{
      [this](const std::string& name) {
        menuCalls_.push_back("has " + name);
        return false;
      },
      [this](const std::string& name) { menuCalls_.push_back("add " + name); },
      [this](const std::string& path, const std::string& name) {
        menuCalls_.push_back("open " + FileNameOf(path) + " " + name);
      }};
  InputDialog input_{platform_, directory_, router_, menus_};
  FavouritesDialog favourites_{platform_, router_};
  OperationChooserDialog chooser_{platform_, router_, favourites_, input_};
  HotkeyEditorDialog editor_{platform_, directory_, host_, router_, chooser_};
};

// --- The hotkey editor -------------------------------------------------------

TEST_F(EditingDialogsTest, AddWithCtrlShiftF5StoresItsKeyTextAndEmptyTexts) {
  WithAddEditor([](HWND editor) {
    SetHotkey(editor, HOTKEYF_CONTROL | HOTKEYF_SHIFT, VK_F5);
    SetField(editor, IDC_EDITOR_TARGET, "notepad.exe");
    SetField(editor, IDC_EDITOR_CATEGORY, "");
    PressButton(editor, IDC_EDITOR_OK);
  });
  EXPECT_FALSE(editor_.IsShowing());
  ASSERT_EQ(EntriesOf(host_.path).size(), 1u);
  EXPECT_EQ(EntriesOf(host_.path)[0], (SchemeEntry{"6+116", "notepad.exe", "", ""}));
  EXPECT_EQ(host_.reloads, std::vector<std::string>{"OpenScheme hotkey.xml"});
}

TEST_F(EditingDialogsTest, IncompleteInputKeepsTheEditorOpen) {
  bool stillOpen = false;
  WithAddEditor([&](HWND editor) {
    SetField(editor, IDC_EDITOR_TARGET, "notepad.exe");  // no key
    PressButton(editor, IDC_EDITOR_OK);
    stillOpen = IsWindowVisible(editor) != 0;
    PressButton(editor, IDCANCEL);
  });
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(platform_.messages,
            std::vector<std::string>{"请将必填项目填写完整|Tavrelin 4.6.0 Final"});
  EXPECT_TRUE(EntriesOf(host_.path).empty());
}

TEST_F(EditingDialogsTest, ProtectedAddStoresCipherTextThatListsPlain) {
  WriteSchemeFile(host_.path, SchemeXml({}, DigestText("pw")));
  host_.password = "pw";
  WithAddEditor([](HWND editor) {
    SetHotkey(editor, HOTKEYF_ALT, 'N');
    SetField(editor, IDC_EDITOR_TARGET, "记事本.exe");
    SetField(editor, IDC_EDITOR_REMARK, "");
    SetField(editor, IDC_EDITOR_CATEGORY, "工作");
    PressButton(editor, IDC_EDITOR_OK);
  });
  const std::vector<SchemeEntry> stored = EntriesOf(host_.path);
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0], (SchemeEntry{EncryptText("pw", "1+78"), EncryptText("pw", "记事本.exe"), "",
                                    EncryptText("pw", "工作")}));
  EntryTable table;
  std::vector<HotkeyListItem> items;
  LoadEntries(
      host_.path, [](const std::string& text) { return DecryptText("pw", text); }, table, items);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].caption, "Alt + N");
  EXPECT_EQ(items[0].action, "记事本.exe");
}

TEST_F(EditingDialogsTest, EnterActsAsOkInTheRemarkFieldOnly) {
  bool openAfterEnterInTarget = false;
  WithAddEditor([&](HWND editor) {
    SetHotkey(editor, HOTKEYF_CONTROL | HOTKEYF_ALT, 'E');
    SetField(editor, IDC_EDITOR_TARGET, "calc.exe");
    PressEnterIn(editor, IDC_EDITOR_TARGET);
    openAfterEnterInTarget = IsWindowVisible(editor) != 0;
    PressEnterIn(editor, IDC_EDITOR_REMARK);
  });
  EXPECT_TRUE(openAfterEnterInTarget);
  ASSERT_EQ(EntriesOf(host_.path).size(), 1u);
  EXPECT_EQ(EntriesOf(host_.path)[0].hotkey, "3+69");
}

TEST_F(EditingDialogsTest, ChangeIsModelessMovesTheEntryLastAndKeepsTheCategory) {
  WriteSchemeFile(host_.path, SchemeXml({{"2+65", "a.exe"}, {"2+66", "b.exe"}, {"2+67", "c.exe"}}));
  editor_.OpenForChange(nullptr, 1, {2, 66, "b.exe", "", ""});
  ASSERT_TRUE(editor_.IsShowing());  // returned at once: the main window stays usable
  HWND editor = editor_.hwnd();
  EXPECT_EQ(TextOf(editor), "修改热键");
  EXPECT_EQ(editor_.Input().hotkey, (HotkeyCode{2, 66}));
  SetField(editor, IDC_EDITOR_TARGET, "b2.exe");
  SetField(editor, IDC_EDITOR_CATEGORY, "工作");
  PressButton(editor, IDC_EDITOR_OK);
  EXPECT_FALSE(editor_.IsShowing());
  const std::vector<SchemeEntry> entries = EntriesOf(host_.path);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[2], (SchemeEntry{"2+66", "b2.exe", "", "工作"}));

  // The next add starts with the category of the change.
  std::string category;
  WithAddEditor([&](HWND add) {
    category = ItemText(add, IDC_EDITOR_CATEGORY);
    PressButton(add, IDCANCEL);
  });
  EXPECT_EQ(category, "工作");
}

TEST_F(EditingDialogsTest, ASecondChangeLoadsItsEntryIntoTheOpenEditor) {
  WriteSchemeFile(host_.path, SchemeXml({{"2+65", "a.exe"}, {"2+66", "b.exe"}, {"2+67", "c.exe"}}));
  editor_.OpenForChange(nullptr, 1, {2, 66, "b.exe", "", ""});
  HWND editor = editor_.hwnd();
  editor_.OpenForChange(nullptr, 2, {2, 67, "c.exe", "计算", "工具"});
  EXPECT_EQ(editor_.hwnd(), editor);
  EXPECT_EQ(editor_.Input(), (EntryInput{{2, 67}, "c.exe", "计算", "工具"}));
  EXPECT_TRUE(platform_.messages.empty()) << "nothing was edited: no question";

  // Edited fields are given up only when the user agrees.
  SetField(editor, IDC_EDITOR_TARGET, "c2.exe");
  platform_.answers = {mb::kIdCancel};
  editor_.OpenForChange(nullptr, 0, {2, 65, "a.exe", "", ""});
  EXPECT_EQ(editor_.Input().action, "c2.exe");
  editor_.OpenForChange(nullptr, 0, {2, 65, "a.exe", "", ""});  // answered OK
  EXPECT_EQ(editor_.Input().action, "a.exe");
  EXPECT_EQ(platform_.messages,
            std::vector<std::string>(2, "您对当前热键的修改还未保存，要放弃这些修改吗？|修改热键"));

  // OK replaces the entry loaded last.
  SetField(editor, IDC_EDITOR_TARGET, "a2.exe");
  PressButton(editor, IDC_EDITOR_OK);
  const std::vector<SchemeEntry> entries = EntriesOf(host_.path);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].action, "b.exe");
  EXPECT_EQ(entries[2], (SchemeEntry{"2+65", "a2.exe", "", ""}));
}

TEST_F(EditingDialogsTest, ChangeOfAnEntryDeletedMeanwhileReplacesNothing) {
  WriteSchemeFile(host_.path, SchemeXml({{"2+65", "a.exe"}, {"2+66", "b.exe"}}));
  editor_.OpenForChange(nullptr, 1, {2, 66, "b.exe", "", ""});
  WriteSchemeFile(host_.path, SchemeXml({{"2+65", "a.exe"}}));  // deleted in the main window
  const std::string before = ReadWholeFile(host_.path);
  PressButton(editor_.hwnd(), IDC_EDITOR_OK);
  EXPECT_TRUE(editor_.IsShowing());
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_NE(platform_.messages[0].find("没有做任何修改"), std::string::npos);
  EXPECT_EQ(ReadWholeFile(host_.path), before);
  PressButton(editor_.hwnd(), IDCANCEL);
  EXPECT_FALSE(editor_.IsShowing());
}

TEST_F(EditingDialogsTest, DroppedFileSetsTargetAndRemark) {
  editor_.OpenForChange(nullptr, 0, {2, 65, "a.exe", "", ""});
  const std::wstring path = L"C:\\Program Files\\工具\\tool.exe";
  // An HDROP as the shell makes it: DROPFILES, then the wide paths, double-terminated.
  const size_t bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GHND, bytes);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::copy(path.begin(), path.end(), reinterpret_cast<wchar_t*>(drop + 1));
  GlobalUnlock(memory);
  SendMessageW(editor_.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
  const EntryInput input = editor_.Input();
  EXPECT_EQ(input.action, "C:\\Program Files\\工具\\tool.exe");
  EXPECT_EQ(input.hint, "tool.exe");
  EXPECT_EQ(editor_.StatusText(0), "C:\\Program Files\\工具\\tool.exe");
  PressButton(editor_.hwnd(), IDCANCEL);
}

// Chooses an item of the condition box as a click does.
void ChooseCondition(HWND editor, int index) {
  HWND box = GetDlgItem(editor, IDC_EDITOR_CONDITION);
  SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(editor, WM_COMMAND, MAKEWPARAM(IDC_EDITOR_CONDITION, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(box));
}

TEST_F(EditingDialogsTest, ConditionFieldsAreStoredAndSteerTheClashNotice) {
  host_.slots[0] = {6, 116, "notepad.exe", "记事本", ""};
  host_.slots[0].condition = {ConditionMode::kOnlyIn, "notepad.exe", ""};
  std::vector<std::string> notices;
  bool programsEnabledWhenOff = true;
  WithAddEditor([&](HWND editor) {
    programsEnabledWhenOff = IsWindowEnabled(GetDlgItem(editor, IDC_EDITOR_PROGRAMS)) != 0;
    SetHotkey(editor, HOTKEYF_CONTROL | HOTKEYF_SHIFT, VK_F5);
    notices.push_back(editor_.StatusText(1));  // everywhere: clashes with notepad's entry
    ChooseCondition(editor, 2);                // except notepad.exe: never both
    SetField(editor, IDC_EDITOR_PROGRAMS, "NOTEPAD.EXE");
    notices.push_back(editor_.StatusText(1));
    ChooseCondition(editor, 1);  // only in notepad.exe: both
    notices.push_back(editor_.StatusText(1));
    SetField(editor, IDC_EDITOR_PROGRAMS, "calc.exe;notepad2.exe;calc.exe");
    SetField(editor, IDC_EDITOR_TITLE, "报告");
    SetField(editor, IDC_EDITOR_TARGET, "calc.exe");
    PressButton(editor, IDC_EDITOR_OK);
  });
  EXPECT_FALSE(programsEnabledWhenOff);
  EXPECT_EQ(notices,
            (std::vector<std::string>{"该热键已被“记事本”使用", "", "该热键已被“记事本”使用"}));
  SchemeDocument document;
  document.Load(host_.path);
  EXPECT_EQ(document.Options(0),
            (EntryOptions{true, {ConditionMode::kOnlyIn, "calc.exe; notepad2.exe", "报告"}}));
}

TEST_F(EditingDialogsTest, CheckedProgramsJoinTheListOnceEachWithTheirIcons) {
  // A window of the test's own with a caption icon; the test program known by
  // its executable alone, whose resources hold icons; one whose file is gone.
  HWND window = CreateWindowExW(0, L"STATIC", L"报告 - 记事本", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50,
                                nullptr, nullptr, nullptr, nullptr);
  SendMessageW(window, WM_SETICON, ICON_SMALL,
               reinterpret_cast<LPARAM>(LoadIconW(nullptr, IDI_APPLICATION)));
  wchar_t self[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::string selfPath = Narrow(self);
  const std::string selfName = FileNameOf(selfPath);
  int listed = 0;
  editor_.listPrograms = [&]() -> std::vector<WindowProgram> {
    if (listed++ == 0) return {};  // the first time, no program has a window
    return std::vector<WindowProgram>{{"notepad.exe", "报告 - 记事本", "", window},
                                      {selfName, "测试", selfPath, nullptr},
                                      {"gone.exe", "", "C:\\nowhere\\gone.exe", nullptr}};
  };
  struct Row {
    std::string program, title;
    bool hasIcon;
    bool operator==(const Row&) const = default;
  };
  std::vector<Row> rows;
  std::vector<std::string> columns;
  std::string afterNothing, afterOk, emptyListSays;
  bool emptyListEnabled = true;
  int pickerOpened = 0;
  WithAddEditor([&](HWND editor) {
    ChooseCondition(editor, 1);
    SetField(editor, IDC_EDITOR_PROGRAMS, "NOTEPAD.EXE");
    {
      DialogWatch picker(L"选择程序", [&](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_PICKER_LIST);
        emptyListSays = ListItemText(list, 0, 0);
        emptyListEnabled = IsWindowEnabled(list) != 0;
        PressButton(dialog, IDOK);
      });
      PressButton(editor, IDC_EDITOR_PICK_PROGRAMS);
      pickerOpened += picker.count();
    }
    afterNothing = ItemText(editor, IDC_EDITOR_PROGRAMS);
    DialogWatch picker(L"选择程序", [&](HWND dialog) {
      HWND list = GetDlgItem(dialog, IDC_PICKER_LIST);
      for (int column = 0; column < 2; ++column) {
        wchar_t caption[32] = L"";
        LVCOLUMNW entry{};
        entry.mask = LVCF_TEXT;
        entry.pszText = caption;
        entry.cchTextMax = 32;
        ListView_GetColumn(list, column, &entry);
        columns.push_back(Narrow(caption));
      }
      const int images = ImageList_GetImageCount(ListView_GetImageList(list, LVSIL_SMALL));
      for (int row = 0; row < ListView_GetItemCount(list); ++row) {
        LVITEMW item{};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        ListView_GetItem(list, &item);
        rows.push_back({ListItemText(list, row, 0), ListItemText(list, row, 1),
                        item.iImage >= 0 && item.iImage < images});
      }
      ListView_SetCheckState(list, 0, TRUE);  // already listed, in another case
      ListView_SetCheckState(list, 1, TRUE);
      PressButton(dialog, IDOK);
    });
    PressButton(editor, IDC_EDITOR_PICK_PROGRAMS);
    pickerOpened += picker.count();
    afterOk = ItemText(editor, IDC_EDITOR_PROGRAMS);
    PressButton(editor, IDCANCEL);
  });
  DestroyWindow(window);
  EXPECT_EQ(pickerOpened, 2);
  EXPECT_EQ(columns, (std::vector<std::string>{"程序", "窗口标题"}));
  EXPECT_EQ(rows, (std::vector<Row>{{"notepad.exe", "报告 - 记事本", true},
                                    {selfName, "测试", true},
                                    {"gone.exe", "", false}}));
  EXPECT_EQ(emptyListSays, "（没有可见的程序窗口）");
  EXPECT_FALSE(emptyListEnabled);
  EXPECT_EQ(afterNothing, "NOTEPAD.EXE") << "nothing to pick leaves the list";
  EXPECT_EQ(afterOk, "NOTEPAD.EXE; " + selfName);
}

TEST_F(EditingDialogsTest, StatusBarTellsOfAHotkeyInUse) {
  host_.slots[0] = {6, 116, "notepad.exe", "记事本", ""};
  HWND other = CreateWindowExW(0, L"STATIC", L"other", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               nullptr, nullptr);
  ASSERT_TRUE(RegisterHotKey(other, 0x1234, MOD_CONTROL | MOD_ALT, VK_F7));
  std::vector<std::string> notices;
  WithAddEditor([&](HWND editor) {
    SetHotkey(editor, HOTKEYF_CONTROL | HOTKEYF_SHIFT, VK_F5);
    notices.push_back(editor_.StatusText(1));
    SetHotkey(editor, HOTKEYF_CONTROL | HOTKEYF_ALT, VK_F7);
    notices.push_back(editor_.StatusText(1));
    SetHotkey(editor, HOTKEYF_CONTROL | HOTKEYF_ALT, VK_F8);
    notices.push_back(editor_.StatusText(1));
    PressButton(editor, IDCANCEL);
  });
  UnregisterHotKey(other, 0x1234);
  DestroyWindow(other);
  EXPECT_EQ(notices,
            (std::vector<std::string>{"该热键已被“记事本”使用", "该热键已被其他程序占用", ""}));
  EXPECT_FALSE(CombinationTaken(MOD_CONTROL | MOD_ALT, VK_F8));  // the probe let it go
}

TEST_F(EditingDialogsTest, ScriptButtonOpensNewOrExistingScripts) {
  using Kind = HotkeyEditorDialog::ScriptRequest::Kind;
  const std::string script = directory_ + "宏.TSC";
  WriteSchemeFile(script, "Delay:10\r\n");
  struct Case {
    std::string target;
    Kind kind;
  };
  const Case cases[] = {{script, Kind::kOpen},
                        {directory_ + "missing.tsc", Kind::kShowOnly},
                        {"notepad.exe", Kind::kNew},
                        {"", Kind::kNew}};
  for (const Case& c : cases) {
    std::vector<HotkeyEditorDialog::ScriptRequest> requests;
    editor_.openScriptEditor = [&](HotkeyEditorDialog& editor,
                                   const HotkeyEditorDialog::ScriptRequest& request) {
      requests.push_back(request);
      editor.SetTarget(directory_ + "new.tsc");  // the script editor saved a file
    };
    std::string target;
    WithAddEditor([&](HWND editor) {
      SetField(editor, IDC_EDITOR_TARGET, c.target);
      PressButton(editor, IDC_EDITOR_SCRIPT);
      target = editor_.Input().action;
      PressButton(editor, IDCANCEL);
    });
    ASSERT_EQ(requests.size(), 1u) << c.target;
    EXPECT_EQ(requests[0].kind, c.kind) << c.target;
    EXPECT_EQ(requests[0].path, c.kind == Kind::kNew ? "" : c.target) << c.target;
    EXPECT_EQ(target, directory_ + "new.tsc");
  }
}

// --- The operation chooser ---------------------------------------------------

TEST_F(EditingDialogsTest, ChooserFillsTargetAndRemarkFromTheChosenLeaf) {
  struct Case {
    std::vector<std::string> path;
    const char* target;
    const char* remark;
  };
  const Case cases[] = {
      {{"控制面板", "音量控制"}, "sndvol32.exe", "控制面板->音量控制"},
      {{"网络相关", "打开网页", "手动输入网址"}, "http://", "网络相关->打开网页->手动输入网址"},
      {{"关机", "关闭计算机"}, "关闭计算机", "关机->关闭计算机"},
  };
  for (const Case& c : cases) {
    EntryInput chosen;
    DialogWatch chooser(L"选择您要进行的操作", [&](HWND dialog) {
      ASSERT_TRUE(chooser_.SelectPath(c.path));
      PressButton(dialog, IDOK);
    });
    WithAddEditor([&](HWND editor) {
      PressButton(editor, IDC_EDITOR_ACTION);
      chosen = editor_.Input();
      PressButton(editor, IDCANCEL);
    });
    EXPECT_EQ(chooser.count(), 1);
    EXPECT_EQ(chosen.action, c.target);
    EXPECT_EQ(chosen.hint, c.remark);
  }
}

TEST_F(EditingDialogsTest, ChooserRefusesAFolderAndStaysOpen) {
  bool stillOpen = false;
  DialogWatch chooser(L"选择您要进行的操作", [&](HWND dialog) {
    ASSERT_TRUE(chooser_.SelectPath({"关机"}));
    PressButton(dialog, IDOK);
    stillOpen = IsWindowVisible(dialog) != 0;
    PressButton(dialog, IDCANCEL);
  });
  chooser_.ShowModal(nullptr);
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(platform_.messages,
            std::vector<std::string>{"请选选择正确的项目|Tavrelin 4.6.0 Final"});
}

TEST_F(EditingDialogsTest, ChooserForTheScriptEditorInsertsOnlyTheResult) {
  std::vector<std::string> inserted;
  router_.SetScriptEditorSink([&](const std::string& text) { inserted.push_back(text); });
  router_.set_target(InsertionTarget::kScriptEditor);
  DialogWatch chooser(L"选择您要进行的操作", [&](HWND dialog) {
    ASSERT_TRUE(chooser_.SelectPath({"Tavrelin相关", "关闭Tavrelin"}));
    PressButton(dialog, IDOK);
  });
  chooser_.ShowModal(nullptr);
  EXPECT_EQ(inserted, std::vector<std::string>{"关闭Tavrelin"});
  EXPECT_EQ(editor_.Input().action, "");
  EXPECT_EQ(editor_.Input().hint, "");
}

TEST_F(EditingDialogsTest, PasteTextIsDeliveredAndCancelLeavesTheFields) {
  for (const bool cancel : {true, false}) {
    std::string prompt;
    DialogWatch input(L"粘贴单行文本", [&](HWND dialog) {
      prompt = ItemText(dialog, IDC_INPUT_PROMPT);
      TypeAndPress(GetDlgItem(dialog, IDC_INPUT_EDIT), L"hello", dialog, cancel ? IDCANCEL : IDOK);
    });
    DialogWatch chooser(L"选择您要进行的操作", [&](HWND dialog) {
      ASSERT_TRUE(chooser_.SelectPath({"其他辅助功能", "粘贴单行文字"}));
      PressButton(dialog, IDOK);
    });
    EntryInput after;
    bool chooserClosed = false;
    WithAddEditor([&](HWND editor) {
      SetField(editor, IDC_EDITOR_TARGET, "before");
      SetField(editor, IDC_EDITOR_REMARK, "remark");
      PressButton(editor, IDC_EDITOR_ACTION);
      chooserClosed = !chooser_.IsShowing();
      after = editor_.Input();
      PressButton(editor, IDCANCEL);
    });
    EXPECT_EQ(input.count(), 1);
    EXPECT_TRUE(chooserClosed);
    EXPECT_EQ(prompt, "您希望用热键进行粘贴的单行文本");
    EXPECT_EQ(after.action, cancel ? "before" : "PasteLine:hello");
    EXPECT_EQ(after.hint, cancel ? "remark" : "粘贴单行文本：hello");
  }
}

// --- The favourites picker ---------------------------------------------------

TEST_F(EditingDialogsTest, FavouritesFromAFolderBuiltByTheTest) {
  const std::filesystem::path folder = std::filesystem::path(Widen(directory_)) / L"收藏夹";
  std::filesystem::create_directories(folder / L"Links");
  std::ofstream(folder / L"Links" / L"Site.url", std::ios::binary)
      << "[InternetShortcut]\r\nURL=http://site.example/\r\n";
  std::ofstream(folder / L"desktop.ini", std::ios::binary) << "[.ShellClassInfo]\r\n";
  std::ofstream(folder / L"a.lnk", std::ios::binary) << "x";
  favourites_.OnCreate(Narrow(folder.wstring()));

  std::string statusOfLink;
  bool openAfterFolder = false;
  DialogWatch picker(L"浏览收藏夹", [&](HWND dialog) {
    // The first node is selected: the folder, as only it is left.
    PressButton(dialog, IDOK);
    openAfterFolder = IsWindowVisible(dialog) != 0;
    ASSERT_TRUE(favourites_.SelectPath({"Links", "Site"}));
    statusOfLink = favourites_.StatusText();
    EXPECT_FALSE(favourites_.SelectPath({"desktop.ini"}));
    EXPECT_FALSE(favourites_.SelectPath({"a.lnk"}));
    PressButton(dialog, IDOK);
  });
  DialogWatch chooser(L"选择您要进行的操作", [&](HWND dialog) {
    ASSERT_TRUE(chooser_.SelectPath({"网络相关", "打开网页", "从收藏夹内选择"}));
    PressButton(dialog, IDOK);
  });
  EntryInput chosen;
  WithAddEditor([&](HWND editor) {
    PressButton(editor, IDC_EDITOR_ACTION);
    chosen = editor_.Input();
    PressButton(editor, IDCANCEL);
  });
  EXPECT_EQ(picker.count(), 1);
  EXPECT_TRUE(openAfterFolder);
  EXPECT_EQ(platform_.messages,
            std::vector<std::string>{"您还没有选择网址啊:-)|Tavrelin 4.6.0 Final"});
  EXPECT_EQ(statusOfLink, "http://site.example/");
  EXPECT_EQ(chosen.action, "http://site.example/");
  EXPECT_EQ(chosen.hint, "Links->Site");
}

// --- The input dialog --------------------------------------------------------

TEST_F(EditingDialogsTest, NewSchemeIsCreatedAndOpenedAndABadNameIsRefused) {
  std::string explanation;
  bool openAfterBadName = false;
  DialogWatch input(L"新建方案", [&](HWND dialog) {
    explanation = ItemText(dialog, IDC_INPUT_MEMO);
    TypeAndPress(GetDlgItem(dialog, IDC_INPUT_EDIT), L"CON", dialog, IDOK);
    openAfterBadName = IsWindowVisible(dialog) != 0;
    SetWindowTextW(GetDlgItem(dialog, IDC_INPUT_EDIT), L"工作");
    PressEnterIn(dialog, IDC_INPUT_EDIT);
  });
  input_.OpenForNewScheme(nullptr);
  EXPECT_EQ(input.count(), 1);
  EXPECT_TRUE(openAfterBadName);
  EXPECT_EQ(explanation.rfind("您可以为不同的需要建立一些热键方案。\r\n\r\n", 0), 0u);
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_NE(platform_.messages[0].find("保留的设备名"), std::string::npos);
  const std::string created = directory_ + "Data\\工作.xml";
  ASSERT_TRUE(FileExists(created));
  EXPECT_TRUE(EntriesOf(created).empty());
  EXPECT_EQ(menuCalls_,
            (std::vector<std::string>{"has 工作.xml", "add 工作.xml", "open 工作.xml 工作.xml"}));
}

}  // namespace
}  // namespace tav::test
