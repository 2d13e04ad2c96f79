// The editing dialogs at the display's DPI: every caption of a label or
// button fits its control, and the tree of the operation chooser shows every
// node without a horizontal scroll bar. ctest runs it at 100% and 200%
// (run-at-dpi.sh).
#include "platform/win32/WinApi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/EditingDialogs.h"
#include "platform/win32/Dpi.h"
#include "res/resource.h"
#include "tests/win32/Win32TestSupport.h"

namespace tav::test {
namespace {

SIZE TextSize(HWND control) {
  wchar_t text[256] = {};
  const int length = GetWindowTextW(control, text, 256);
  HDC dc = GetDC(control);
  const HGDIOBJ old =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32W(dc, text, length, &size);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return size;
}

// Labels and buttons show their caption whole.
void ExpectCaptionsFit(HWND dialog, std::initializer_list<int> ids) {
  const UINT dpi = DpiForWindow(dialog);
  for (int id : ids) {
    HWND control = GetDlgItem(dialog, id);
    RECT room{};
    GetClientRect(control, &room);
    const SIZE text = TextSize(control);
    EXPECT_LE(text.cx, room.right) << "control " << id << " at " << dpi;
    EXPECT_LE(text.cy, room.bottom) << "control " << id << " at " << dpi;
  }
}

class NoHost : public EntryEditorHost {
 public:
  std::string ActiveSchemePath() const override { return {}; }
  bool SchemeIsProtected() const override { return false; }
  std::string RememberedPassword() const override { return {}; }
  bool HotkeysPaused() const override { return false; }
  void ResetAndLoad() override {}
  void OpenScheme(const std::string&) override {}
  void ResetSortState() override {}
  const EntryTable& Slots() const override { return slots; }
  EntryTable slots{};
};

TEST(EditingDpiTest, EveryCaptionFitsAtTheDisplaysDpi) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  QuietWin32Platform platform;
  NoHost host;
  EditingDialogs dialogs(platform, "C:\\", host, {});
  dialogs.editor().openScriptEditor = [](HotkeyEditorDialog&, const auto&) {};
  int shown = 0;

  DialogWatch chooser(L"选择您要进行的操作", [&](HWND dialog) {
    ++shown;
    ExpectCaptionsFit(dialog, {IDOK, IDCANCEL});
    HWND tree = GetDlgItem(dialog, IDC_CHOOSER_TREE);
    EXPECT_TRUE(dialogs.chooser().SelectPath({"Tavrelin相关", "Tavrelin停止/开始工作"}));
    EXPECT_TRUE(dialogs.chooser().SelectPath({"控制面板", "音量控制"}));
    EXPECT_FALSE(GetWindowLongPtrW(tree, GWL_STYLE) & WS_HSCROLL)
        << "a node is wider than the tree";
    PressButton(dialog, IDCANCEL);
  });
  DialogWatch input(L"粘贴单行文本", [&](HWND dialog) {
    ++shown;
    ExpectCaptionsFit(dialog, {IDC_INPUT_GROUP, IDC_INPUT_PROMPT, IDOK, IDCANCEL});
    // The explanation shows whole: its last line ends above the memo's bottom.
    HWND memo = GetDlgItem(dialog, IDC_INPUT_MEMO);
    const LRESULT lines = SendMessageW(memo, EM_GETLINECOUNT, 0, 0);
    const LRESULT last =
        SendMessageW(memo, EM_POSFROMCHAR, SendMessageW(memo, EM_LINEINDEX, lines - 1, 0), 0);
    RECT room{};
    GetClientRect(memo, &room);
    EXPECT_LT(static_cast<short>(HIWORD(last)) + TextSize(GetDlgItem(dialog, IDC_INPUT_PROMPT)).cy,
              room.bottom + 2);
    PressButton(dialog, IDCANCEL);
  });
  DialogWatch editor(L"添加热键", [&](HWND dialog) {
    ++shown;
    ExpectCaptionsFit(
        dialog, {IDC_EDITOR_KEY_LABEL, IDC_EDITOR_TARGET_LABEL, IDC_EDITOR_FILE, IDC_EDITOR_FOLDER,
                 IDC_EDITOR_ACTION, IDC_EDITOR_SCRIPT, IDC_EDITOR_CATEGORY_LABEL,
                 IDC_EDITOR_REMARK_LABEL, IDC_EDITOR_PICK_PROGRAMS, IDC_EDITOR_TITLE_LABEL,
                 IDC_EDITOR_HELP, IDC_EDITOR_OK, IDCANCEL});
    SendMessageW(GetDlgItem(dialog, IDC_EDITOR_HOTKEY), HKM_SETHOTKEY,
                 MAKEWORD(VK_F5, HOTKEYF_CONTROL | HOTKEYF_SHIFT), 0);
    SetDlgItemTextW(dialog, IDC_EDITOR_TARGET, L"C:\\Windows\\notepad.exe");
    SetDlgItemTextW(dialog, IDC_EDITOR_REMARK, L"记事本");
    HWND condition = GetDlgItem(dialog, IDC_EDITOR_CONDITION);
    SendMessageW(condition, CB_SETCURSEL, 1, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_EDITOR_CONDITION, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(condition));
    SetDlgItemTextW(dialog, IDC_EDITOR_PROGRAMS, L"notepad.exe; WINWORD.EXE");
    SetDlgItemTextW(dialog, IDC_EDITOR_TITLE, L"报告");
    SaveScreenshot(dialog, "hotkey-editor-" + std::to_string(DpiForWindow(dialog)));
    PressButton(dialog, IDC_EDITOR_PICK_PROGRAMS);
    PressButton(dialog, IDC_EDITOR_ACTION);
    dialogs.input().OpenForPasteText(dialog);
    PressButton(dialog, IDCANCEL);
  });
  // "选择程序…": the test's own window with an icon, and its program.
  HWND window = CreateWindowExW(0, L"STATIC", L"季度报告.docx - 文字处理", WS_OVERLAPPEDWINDOW, 0,
                                0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  SendMessageW(window, WM_SETICON, ICON_SMALL,
               reinterpret_cast<LPARAM>(LoadIconW(nullptr, IDI_APPLICATION)));
  dialogs.editor().listPrograms = [&] {
    return std::vector<WindowProgram>{{"WINWORD.EXE", "季度报告.docx - 文字处理", "", window},
                                      {"notepad.exe", "无标题 - 记事本", "", window}};
  };
  DialogWatch picker(L"选择程序", [&](HWND dialog) {
    ++shown;
    ExpectCaptionsFit(dialog, {IDOK, IDCANCEL});
    HWND list = GetDlgItem(dialog, IDC_PICKER_LIST);
    ListView_SetCheckState(list, 1, TRUE);
    // Both columns inside the list: no horizontal scroll bar.
    RECT room{};
    GetClientRect(list, &room);
    EXPECT_LE(ListView_GetColumnWidth(list, 0) + ListView_GetColumnWidth(list, 1), room.right);
    // A row is as tall as its small icon.
    RECT row{};
    ListView_GetItemRect(list, 0, &row, LVIR_BOUNDS);
    EXPECT_GE(row.bottom - row.top, SystemMetricForDpi(SM_CYSMICON, DpiForWindow(dialog)));
    SaveScreenshot(dialog, "program-picker-" + std::to_string(DpiForWindow(dialog)));
    PressButton(dialog, IDCANCEL);
  });
  dialogs.editor().OpenForAdd(nullptr);
  DestroyWindow(window);
  EXPECT_EQ(shown, 4);
}

}  // namespace
}  // namespace tav::test
