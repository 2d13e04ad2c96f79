#include "editor/ScriptEditorWindow.h"

#include <commctrl.h>
#include <commdlg.h>
#include <imm.h>
#include <shlobj.h>

#include <scintilla/Scintilla.h>

#include <algorithm>
#include <array>
#include <utility>

#include "base/Errors.h"
#include "base/TextEncoding.h"
#include "base/Version.h"
#include "editor/ScriptFile.h"
#include "platform/ErrorGuard.h"
#include "platform/win32/Commands.h"
#include "platform/win32/Controls.h"
#include "platform/win32/Dpi.h"
#include "platform/win32/FileDialogs.h"
#include "platform/win32/Menus.h"
#include "platform/win32/MessageLoop.h"
#include "res/resource.h"

namespace tav {
namespace {

using Form = ScriptEditorWindow;

constexpr wchar_t kClassName[] = L"TfrmScripEditor";
const std::string kUnpastableMessage = "剪贴板里的文字含有 GB2312 脚本无法保存的字符，没有粘贴。";
constexpr int kTabCount = 3;

constexpr MenuItem<Form> kFileMenu[] = {
    {.id = IDM_SCRIPT_NEW, .caption = "新建\tCtrl+N", .handler = &Form::NewScript},
    {.id = IDM_SCRIPT_OPEN, .caption = "打开\tCtrl+O", .handler = &Form::OpenScript},
    {},
    {.id = IDM_SCRIPT_SAVE, .caption = "保存\tCtrl+S", .handler = &Form::SaveScript},
    {.id = IDM_SCRIPT_SAVEAS, .caption = "保存为", .handler = &Form::SaveScriptAs},
    {},
    {.id = IDM_SCRIPT_EXIT, .caption = "退出", .handler = &Form::OnExitItem},
};
constexpr MenuItem<Form> kEditMenu[] = {
    {.id = IDM_SCRIPT_UNDO, .caption = "撤消", .handler = &Form::UndoEdit},
    {.id = IDM_SCRIPT_REDO, .caption = "重复", .handler = &Form::RedoEdit},
    {},
    {.id = IDM_SCRIPT_CUT, .caption = "剪切", .handler = &Form::CutToClipboard},
    {.id = IDM_SCRIPT_COPY, .caption = "复制", .handler = &Form::CopyToClipboard},
    {.id = IDM_SCRIPT_PASTE, .caption = "粘贴", .handler = &Form::PasteFromClipboard},
};
constexpr MenuItem<Form> kActionMenu[] = {
    {.id = IDM_SCRIPT_OPENFILE, .caption = "打开指定文件", .handler = &Form::InsertOpenFile},
    {.id = IDM_SCRIPT_OPENFOLDER, .caption = "打开指定文件夹", .handler = &Form::InsertOpenFolder},
    {.id = IDM_SCRIPT_WIZARD, .caption = "向导", .handler = &Form::ShowWizard},
};
constexpr MenuItem<Form> kHelpMenu[] = {
    {.id = IDM_SCRIPT_HELP, .caption = "帮助主题", .handler = &Form::OpenHelp},
    {.id = IDM_SCRIPT_ABOUT, .caption = "关于", .handler = &Form::ShowAbout},
};
constexpr MenuItem<Form> kMenuBar[] = {
    {.caption = "文件", .submenu = kFileMenu},
    {.caption = "编辑", .submenu = kEditMenu},
    {.caption = "执行操作", .submenu = kActionMenu},
    {.caption = "帮助", .submenu = kHelpMenu},
};

// The buttons of the insertion tabs that no menu item shares.
constexpr Command<Form> kAidCommands[] = {
    {IDC_SCRIPT_ACTINGCUT, &Form::InsertCutMacro},
    {IDC_SCRIPT_ACTINGCOPY, &Form::InsertCopyMacro},
    {IDC_SCRIPT_ACTINGPASTE, &Form::InsertPasteMacro},
    {IDC_SCRIPT_NOTE, &Form::InsertComment},
    {IDC_SCRIPT_INSKEY, &Form::InsertKeyCommand},
    {IDC_SCRIPT_MOUSE, &Form::InsertMouseCommand},
    {IDC_SCRIPT_INSTIME, &Form::InsertDelay},
};

struct Tip {
  int id;
  const char* text;
};
constexpr Tip kTips[] = {
    {IDM_SCRIPT_NEW, "新建"},
    {IDM_SCRIPT_OPEN, "打开"},
    {IDM_SCRIPT_SAVE, "保存"},
    {IDM_SCRIPT_CUT, "剪切"},
    {IDM_SCRIPT_COPY, "复制"},
    {IDM_SCRIPT_PASTE, "粘贴"},
    {IDM_SCRIPT_UNDO, "撤消"},
    {IDM_SCRIPT_REDO, "重复"},
    {IDM_SCRIPT_OPENFILE, "打开文件"},
    {IDM_SCRIPT_OPENFOLDER, "打开文件夹"},
    {IDM_SCRIPT_WIZARD, "高级功能向导"},
    {IDC_SCRIPT_ACTINGCUT, "剪切事件"},
    {IDC_SCRIPT_ACTINGCOPY, "复制事件"},
    {IDC_SCRIPT_ACTINGPASTE, "粘贴事件"},
    {IDC_SCRIPT_NOTE, "插入注释"},
    {IDC_SCRIPT_INSKEY, "插入按键事件"},
    {IDC_SCRIPT_MOUSE, "插入鼠标事件"},
    {IDC_SCRIPT_INSTIME, "插入延时事件"},
};

// The client area at 96 DPI: toolbar, editor, and the 52-pixel tab panel
// whose pages hold the aids.
constexpr SIZE kReferenceClient{474, 322};
constexpr unsigned kBottomLeft = kAnchorLeft | kAnchorBottom;
constexpr int kMinimumClientWidth = 448;  // the right edge of the widest tab's last aid
constexpr LayoutItem kLayout[] = {
    {IDC_SCRIPT_TOOLBAR, {0, 0, 474, 26}, kAnchorLeft | kAnchorTop | kAnchorRight},
    {IDC_SCRIPT_EDITOR, {0, 27, 474, 243}, kAnchorAll},
    {IDC_SCRIPT_TABS, {0, 270, 474, 52}, kAnchorLeft | kAnchorRight | kAnchorBottom},
    {IDC_SCRIPT_BASICBAR, {4, 293, 466, 26}, kAnchorLeft | kAnchorRight | kAnchorBottom},
    {IDC_SCRIPT_KEYLABEL, {6, 298, 36, 16}, kBottomLeft},
    {IDC_SCRIPT_KEY, {42, 295, 56, 21}, kBottomLeft},
    {IDC_SCRIPT_KEYSORTLABEL, {104, 298, 36, 16}, kBottomLeft},
    {IDC_SCRIPT_KEYSORT, {140, 295, 64, 200}, kBottomLeft},
    {IDC_SCRIPT_INSKEY, {208, 294, 40, 23}, kBottomLeft},
    {IDC_SCRIPT_MOUSELABEL, {256, 298, 60, 16}, kBottomLeft},
    {IDC_SCRIPT_MOUSELIST, {316, 295, 84, 200}, kBottomLeft},
    {IDC_SCRIPT_MOUSE, {404, 294, 40, 23}, kBottomLeft},
    {IDC_SCRIPT_DELAYLABEL, {6, 298, 36, 16}, kBottomLeft},
    {IDC_SCRIPT_DELAY, {42, 295, 48, 21}, kBottomLeft},
    {IDC_SCRIPT_UNITLABEL, {96, 298, 36, 16}, kBottomLeft},
    {IDC_SCRIPT_UNIT, {132, 295, 84, 200}, kBottomLeft},
    {IDC_SCRIPT_INSTIME, {220, 294, 40, 23}, kBottomLeft},
};

// The controls on each tab page.
const std::vector<int> kTabPages[kTabCount] = {
    {IDC_SCRIPT_BASICBAR},
    {IDC_SCRIPT_KEYLABEL, IDC_SCRIPT_KEY, IDC_SCRIPT_KEYSORTLABEL, IDC_SCRIPT_KEYSORT,
     IDC_SCRIPT_INSKEY, IDC_SCRIPT_MOUSELABEL, IDC_SCRIPT_MOUSELIST, IDC_SCRIPT_MOUSE},
    {IDC_SCRIPT_DELAYLABEL, IDC_SCRIPT_DELAY, IDC_SCRIPT_UNITLABEL, IDC_SCRIPT_UNIT,
     IDC_SCRIPT_INSTIME},
};

std::wstring WideOf(std::string_view utf8) {
  const std::u16string wide = Utf8ToUtf16(utf8);
  return std::wstring(wide.begin(), wide.end());
}

std::string Utf8Of(const wchar_t* wide) {
  const std::wstring text(wide);
  return Utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

// Splits the editor's text at its line breaks: n breaks give n + 1 lines,
// so the empty line after a final break is kept and saved.
std::vector<std::string> EditorLines(std::string_view text) {
  if (text.empty()) return {};
  std::vector<std::string> lines = SplitTextLines(text);
  if (text.back() == '\r' || text.back() == '\n') lines.emplace_back();
  return lines;
}

// "\n" in an inserted text becomes the document's CR LF.
std::string WithCrLf(const std::string& text) {
  std::string result;
  result.reserve(text.size() + 8);
  for (char c : text) {
    if (c == '\n') result += '\r';
    result += c;
  }
  return result;
}

// The key a key-down names. While an IME is on, the keys it takes arrive as
// VK_PROCESSKEY. The IME tells which key it was only until the message loop
// has translated the message; after that the scan code still does.
int CapturedKey(HWND field, WPARAM wParam, LPARAM lParam) {
  if (wParam != VK_PROCESSKEY) return static_cast<int>(wParam);
  const UINT original = ImmGetVirtualKey(field);
  if (original != 0 && original != VK_PROCESSKEY) return static_cast<int>(original);
  const UINT scan = (lParam >> 16) & 0xFF;
  const UINT extended = (lParam & (1 << 24)) ? 0xE000 : 0;
  const UINT key = MapVirtualKeyW(scan | extended, MAPVK_VSC_TO_VK_EX);
  if (key == 0) return static_cast<int>(wParam);
  // The names go by the generic modifier keys.
  if (key >= VK_LSHIFT && key <= VK_RMENU) return VK_SHIFT + static_cast<int>(key - VK_LSHIFT) / 2;
  return static_cast<int>(key);
}

// The key-capture field: Tab reaches it, typing never edits it, and every
// key press shows the held modifier or the key's name.
LRESULT CALLBACK KeyCaptureProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR) {
  switch (message) {
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS | DefSubclassProc(field, message, wParam, lParam);
    case WM_CHAR:
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      const bool alt = GetKeyState(VK_MENU) < 0 || (lParam & (1 << 29)) != 0;
      SetText(field, KeyCaptureText(CapturedKey(field, wParam, lParam), alt,
                                    GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_SHIFT) < 0));
      // The field's own handling would delete or move; Alt keys still reach
      // the menu.
      if (message == WM_KEYDOWN) return 0;
      break;
    }
    case WM_KEYUP:
      // Print Screen arrives only as a release.
      if (wParam == VK_SNAPSHOT) SetText(field, KeyCaptureText(VK_SNAPSHOT, false, false, false));
      return 0;
    case WM_NCDESTROY:
      RemoveWindowSubclass(field, &KeyCaptureProc, 0);
      break;
  }
  return DefSubclassProc(field, message, wParam, lParam);
}

// Whether code page 936, the scripts' code page, holds every character. The
// editor would otherwise turn the others into "?" without a word.
bool FitsCodePage936(std::wstring_view text) {
  try {
    Utf8ToCp936(Utf16ToUtf8(std::u16string(text.begin(), text.end())));
    return true;
  } catch (const EncodingError&) {
    return false;
  }
}

std::wstring ClipboardText(HWND owner) {
  ClipboardSession clipboard(owner);
  if (!clipboard.is_open()) return {};
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (!data) return {};
  const auto* text = static_cast<const wchar_t*>(GlobalLock(data));
  std::wstring copy = text ? text : L"";
  GlobalUnlock(data);
  return copy;
}

// The delay field takes digits only. It filters what is typed (and the
// digits of a paste) itself: ES_NUMBER would show a balloon at each refusal.
LRESULT CALLBACK DigitsOnlyProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR) {
  switch (message) {
    case WM_CHAR:
      // Control characters (Backspace, Ctrl+C, Ctrl+X, ...) keep their roles.
      if (wParam >= 0x20 && !(wParam >= '0' && wParam <= '9')) return 0;
      break;
    case WM_PASTE: {
      std::wstring digits;
      for (wchar_t c : ClipboardText(field)) {
        if (c >= L'0' && c <= L'9') digits += c;
      }
      SendMessageW(field, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(digits.c_str()));
      return 0;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(field, &DigitsOnlyProc, 0);
      break;
  }
  return DefSubclassProc(field, message, wParam, lParam);
}

// Typed characters that code page 936 cannot hold are refused with a beep
// (a character outside the basic plane arrives as two surrogates).
LRESULT CALLBACK TypingFilterProc(HWND editor, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR) {
  if (message == WM_CHAR && wParam >= 0x80) {
    const auto ch = static_cast<wchar_t>(wParam);
    if ((ch >= 0xD800 && ch <= 0xDFFF) || !FitsCodePage936(std::wstring_view(&ch, 1))) {
      MessageBeep(MB_ICONWARNING);
      return 0;
    }
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(editor, &TypingFilterProc, 0);
  return DefSubclassProc(editor, message, wParam, lParam);
}

std::optional<std::string> RunFileDialog(HWND owner, bool save, const wchar_t* filter,
                                         const std::string& initialDir,
                                         const std::string& suggested) {
  std::array<wchar_t, 2048> file{};
  const std::wstring suggestedWide = WideOf(suggested);
  suggestedWide.copy(file.data(), file.size() - 1);
  const std::wstring dir = WideOf(initialDir);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = initialDir.empty() ? nullptr : dir.c_str();
  dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER;
  if (!save) dialog.Flags |= OFN_FILEMUSTEXIST;
  const bool chosen = save ? RunSaveFileDialog(dialog) : RunOpenFileDialog(dialog);
  if (!chosen) return std::nullopt;
  return Utf8Of(file.data());
}

std::optional<std::string> RunFolderDialog(HWND owner) {
  BROWSEINFOW browse{};
  browse.hwndOwner = owner;
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE folder = SHBrowseForFolderW(&browse);
  if (!folder) return std::nullopt;
  std::array<wchar_t, MAX_PATH> path{};
  const bool ok = SHGetPathFromIDListW(folder, path.data());
  CoTaskMemFree(folder);
  if (!ok) return std::nullopt;
  return Utf8Of(path.data());
}

bool RegisterScintilla() {
  static const bool registered = Scintilla_RegisterClasses(GetModuleHandleW(nullptr)) != 0;
  return registered;
}

}  // namespace

ScriptEditorWindow::ScriptEditorWindow(Platform& platform, std::string programDir)
    : platform_(platform),
      programDir_(std::move(programDir)),
      model_(*this, programDir_ + "Script\\") {
  choosers.openScript = [this](const std::string& dir) {
    return RunFileDialog(hwnd(), false, L"脚本文件 (*.tsc)\0*.tsc\0", dir, "");
  };
  choosers.saveScript = [this](const std::string& dir, const std::string& suggested) {
    return RunFileDialog(hwnd(), true, L"脚本(*.tsc)\0*.tsc\0", dir, suggested);
  };
  choosers.anyFile = [this] { return RunFileDialog(hwnd(), false, nullptr, "", ""); };
  choosers.folder = [this] { return RunFolderDialog(hwnd()); };
  choosers.message = [this](const std::string& text, const std::string& caption, unsigned style) {
    return ShowMessageBox(hwnd(), text, caption, style);
  };
  OnCreate();
}

ScriptEditorWindow::~ScriptEditorWindow() {
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
}

void ScriptEditorWindow::OnCreate() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  RegisterScintilla();
  const UINT dpi = SystemDpi();
  CreateWindowOfClass(kClassName, L"编辑脚本", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, WS_EX_TOPMOST,
                      ScaleForDpi(482, dpi), ScaleForDpi(379, dpi), nullptr);
  SetMenu(hwnd(), BuildMenuBar(std::span<const MenuItem<Form>>(kMenuBar)).release());
  CreateToolbar();
  editor_ = CreateControl(hwnd(), L"Scintilla", "", WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS,
                          WS_EX_CLIENTEDGE, IDC_SCRIPT_EDITOR);
  SetWindowSubclass(editor_, &TypingFilterProc, 0, 0);
  CreateAids();
  layout_ = Layout(kLayout, kReferenceClient);
  layout_.Apply(hwnd());
  ConfigureEditor();
  highlighter_.OnAttributeChange([this] { ApplyAttributes(); });

  // The window's shortcuts come before the editor control's own keys.
  std::vector<ACCEL> keys = {
      {FCONTROL | FVIRTKEY, 'N', IDM_SCRIPT_NEW},
      {FCONTROL | FVIRTKEY, 'O', IDM_SCRIPT_OPEN},
      {FCONTROL | FVIRTKEY, 'S', IDM_SCRIPT_SAVE},
      {FCONTROL | FVIRTKEY, 'V', IDM_SCRIPT_PASTE_KEY},
      {FSHIFT | FVIRTKEY, VK_INSERT, IDM_SCRIPT_PASTE_KEY},
      {FCONTROL | FSHIFT | FVIRTKEY, 'I', IDM_SCRIPT_INDENT},
      {FCONTROL | FSHIFT | FVIRTKEY, 'U', IDM_SCRIPT_UNINDENT},
      {FCONTROL | FSHIFT | FVIRTKEY, 'N', IDM_SCRIPT_SELECT_STREAM},
      {FCONTROL | FSHIFT | FVIRTKEY, 'C', IDM_SCRIPT_SELECT_COLUMNS},
      {FCONTROL | FSHIFT | FVIRTKEY, 'L', IDM_SCRIPT_SELECT_LINES},
      {FCONTROL | FSHIFT | FVIRTKEY, 'B', IDM_SCRIPT_MATCH_BRACKET},
      {FCONTROL | FVIRTKEY, VK_F1, IDM_SCRIPT_CONTEXT_HELP},
  };
  for (WORD n = 0; n < 10; ++n) {
    keys.push_back({FCONTROL | FSHIFT | FVIRTKEY, static_cast<WORD>('0' + n),
                    static_cast<WORD>(IDM_SCRIPT_SET_BOOKMARK + n)});
    keys.push_back({FCONTROL | FVIRTKEY, static_cast<WORD>('0' + n),
                    static_cast<WORD>(IDM_SCRIPT_GOTO_BOOKMARK + n)});
  }
  accelerators_ = CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));

  for (int id : {IDM_SCRIPT_SAVE, IDM_SCRIPT_CUT, IDM_SCRIPT_COPY, IDM_SCRIPT_PASTE,
                 IDM_SCRIPT_UNDO, IDM_SCRIPT_REDO}) {
    EnableCommand(id, false);
  }
  SelectAidsTab(0);
}

void ScriptEditorWindow::CreateToolbar() {
  toolbar_ = CreateControl(hwnd(), TOOLBARCLASSNAMEW, "",
                           WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE |
                               CCS_NOPARENTALIGN | CCS_NODIVIDER,
                           0, IDC_SCRIPT_TOOLBAR);
  SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  // The system's toolbar images, the large ones from 150% scaling on.
  const bool large = SystemDpi() >= 144;
  TBADDBITMAP standard{HINST_COMMCTRL,
                       static_cast<UINT_PTR>(large ? IDB_STD_LARGE_COLOR : IDB_STD_SMALL_COLOR)};
  if (large) {
    SendMessageW(toolbar_, TB_SETBITMAPSIZE, 0, MAKELPARAM(24, 24));
  }
  SendMessageW(toolbar_, TB_ADDBITMAP, 0, reinterpret_cast<LPARAM>(&standard));
  const auto button = [](int image, int id) {
    TBBUTTON b{};
    b.iBitmap = image;
    b.idCommand = id;
    b.fsState = TBSTATE_ENABLED;
    b.fsStyle = BTNS_BUTTON;
    return b;
  };
  TBBUTTON separator{};
  separator.fsStyle = BTNS_SEP;
  const TBBUTTON buttons[] = {
      button(STD_FILENEW, IDM_SCRIPT_NEW),   button(STD_FILEOPEN, IDM_SCRIPT_OPEN),
      button(STD_FILESAVE, IDM_SCRIPT_SAVE), separator,
      button(STD_CUT, IDM_SCRIPT_CUT),       button(STD_COPY, IDM_SCRIPT_COPY),
      button(STD_PASTE, IDM_SCRIPT_PASTE),   separator,
      button(STD_UNDO, IDM_SCRIPT_UNDO),     button(STD_REDOW, IDM_SCRIPT_REDO),
  };
  SendMessageW(toolbar_, TB_ADDBUTTONSW, std::size(buttons), reinterpret_cast<LPARAM>(buttons));

  // The first tab's aids: a flat toolbar of its own.
  HWND basic = CreateControl(
      hwnd(), TOOLBARCLASSNAMEW, "",
      TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, 0,
      IDC_SCRIPT_BASICBAR);
  SendMessageW(basic, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  if (large) SendMessageW(basic, TB_SETBITMAPSIZE, 0, MAKELPARAM(24, 24));
  SendMessageW(basic, TB_ADDBITMAP, 0, reinterpret_cast<LPARAM>(&standard));
  TBADDBITMAP view{HINST_COMMCTRL,
                   static_cast<UINT_PTR>(large ? IDB_VIEW_LARGE_COLOR : IDB_VIEW_SMALL_COLOR)};
  const int viewBase =
      static_cast<int>(SendMessageW(basic, TB_ADDBITMAP, 0, reinterpret_cast<LPARAM>(&view)));
  const TBBUTTON aids[] = {
      button(STD_FILEOPEN, IDM_SCRIPT_OPENFILE),
      button(viewBase + VIEW_PARENTFOLDER, IDM_SCRIPT_OPENFOLDER),
      button(STD_PROPERTIES, IDM_SCRIPT_WIZARD),
      separator,
      button(STD_CUT, IDC_SCRIPT_ACTINGCUT),
      button(STD_COPY, IDC_SCRIPT_ACTINGCOPY),
      button(STD_PASTE, IDC_SCRIPT_ACTINGPASTE),
      separator,
      button(STD_REPLACE, IDC_SCRIPT_NOTE),
  };
  SendMessageW(basic, TB_ADDBUTTONSW, std::size(aids), reinterpret_cast<LPARAM>(aids));
}

void ScriptEditorWindow::CreateAids() {
  tabs_ =
      CreateControl(hwnd(), WC_TABCONTROLW, "", WS_VISIBLE | WS_CLIPSIBLINGS, 0, IDC_SCRIPT_TABS);
  const char* const names[kTabCount] = {"基础功能", "按键相关", "时间相关"};
  for (int i = 0; i < kTabCount; ++i) {
    std::wstring name = WideOf(names[i]);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = name.data();
    SendMessageW(tabs_, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  const auto label = [this](int id, const char* text) {
    CreateControl(hwnd(), WC_STATICW, text, SS_LEFT, 0, id);
  };
  const auto combo = [this](int id, const std::vector<std::string>& items) {
    HWND box =
        CreateControl(hwnd(), WC_COMBOBOXW, "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN, 0, id);
    for (const std::string& item : items) AddComboItem(box, item);
    SetText(box, items.front());
  };
  const auto insertButton = [this](int id) {
    CreateControl(hwnd(), WC_BUTTONW, "插入", WS_TABSTOP | BS_PUSHBUTTON, 0, id);
  };
  label(IDC_SCRIPT_KEYLABEL, "按键：");
  HWND key = CreateControl(hwnd(), WC_EDITW, "", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
                           IDC_SCRIPT_KEY);
  SetWindowSubclass(key, &KeyCaptureProc, 0, 0);
  // A field that captures keys has nothing to compose: no IME for it.
  ImmAssociateContextEx(key, nullptr, 0);
  label(IDC_SCRIPT_KEYSORTLABEL, "类型：");
  combo(IDC_SCRIPT_KEYSORT, kKeySortItems);
  insertButton(IDC_SCRIPT_INSKEY);
  label(IDC_SCRIPT_MOUSELABEL, "鼠标按键：");
  combo(IDC_SCRIPT_MOUSELIST, kMouseItems);
  insertButton(IDC_SCRIPT_MOUSE);
  label(IDC_SCRIPT_DELAYLABEL, "延时：");
  HWND delay = CreateControl(hwnd(), WC_EDITW, "", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
                             IDC_SCRIPT_DELAY);
  SetWindowSubclass(delay, &DigitsOnlyProc, 0, 0);
  label(IDC_SCRIPT_UNITLABEL, "单位：");
  combo(IDC_SCRIPT_UNIT, kTimeUnitItems);
  insertButton(IDC_SCRIPT_INSTIME);
  // The tab control lies beneath the controls of its pages.
  SetWindowPos(tabs_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  tooltips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0,
                              0, 0, 0, hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
  for (int id : {IDC_SCRIPT_INSKEY, IDC_SCRIPT_MOUSE, IDC_SCRIPT_INSTIME}) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd();
    tool.uId = reinterpret_cast<UINT_PTR>(Control(id));
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tooltips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  for (const Tip& tip : kTips) tipTexts_.push_back(WideOf(tip.text));
}

intptr_t ScriptEditorWindow::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
  return SendMessageW(editor_, message, wParam, lParam);
}

void ScriptEditorWindow::ConfigureEditor() {
  Send(SCI_SETCODEPAGE, 936);
  Send(SCI_SETEOLMODE, SC_EOL_CRLF);
  Send(SCI_SETMODEVENTMASK, SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT);
  Send(SCI_STYLESETFONT, STYLE_DEFAULT, reinterpret_cast<LPARAM>("Courier New"));
  Send(SCI_STYLESETSIZEFRACTIONAL, STYLE_DEFAULT, 975);  // 13 px at 96 DPI
  Send(SCI_STYLECLEARALL);
  Send(SCI_STYLESETFONT, STYLE_LINENUMBER, reinterpret_cast<LPARAM>("Terminal"));
  Send(SCI_STYLESETSIZEFRACTIONAL, STYLE_LINENUMBER, 825);  // 11 px at 96 DPI
  Send(SCI_SETMARGINTYPEN, 0, SC_MARGIN_NUMBER);
  Send(SCI_SETMARGINWIDTHN, 0,
       Send(SCI_TEXTWIDTH, STYLE_LINENUMBER, reinterpret_cast<LPARAM>("_9999")));
  const std::string identChars(ScriptHighlighter::IdentChars());
  Send(SCI_SETWORDCHARS, 0, reinterpret_cast<LPARAM>(identChars.c_str()));

  // Key bindings beyond Scintilla's own: Ctrl+Y deletes the line,
  // Shift+Ctrl+Y to its end, Ctrl+T the next word, Shift+Ctrl+Z and
  // Shift+Alt+Backspace redo, Ctrl+M breaks the line. Shift+Ctrl+I and
  // Shift+Ctrl+U (indent and unindent) are the window's.
  const auto bind = [this](int key, int modifiers, int command) {
    Send(SCI_ASSIGNCMDKEY, key + (modifiers << 16), command);
  };
  bind('Y', SCMOD_CTRL, SCI_LINEDELETE);
  bind('Y', SCMOD_CTRL | SCMOD_SHIFT, SCI_DELLINERIGHT);
  bind('T', SCMOD_CTRL, SCI_DELWORDRIGHT);
  bind('Z', SCMOD_CTRL | SCMOD_SHIFT, SCI_REDO);
  bind(SCK_BACK, SCMOD_ALT | SCMOD_SHIFT, SCI_REDO);
  bind('M', SCMOD_CTRL, SCI_NEWLINE);
  bind(SCK_PRIOR, SCMOD_CTRL, SCI_STUTTEREDPAGEUP);
  bind(SCK_PRIOR, SCMOD_CTRL | SCMOD_SHIFT, SCI_STUTTEREDPAGEUPEXTEND);
  bind(SCK_NEXT, SCMOD_CTRL, SCI_STUTTEREDPAGEDOWN);
  bind(SCK_NEXT, SCMOD_CTRL | SCMOD_SHIFT, SCI_STUTTEREDPAGEDOWNEXTEND);
  // Scintilla's own editing keys that this editor does not offer change
  // nothing; New, paste and indenting are the window's commands.
  const struct {
    int key;
    int modifiers;
  } cleared[] = {
      {'L', SCMOD_CTRL},                // cut the line
      {'L', SCMOD_CTRL | SCMOD_SHIFT},  // delete the line
      {'T', SCMOD_CTRL | SCMOD_SHIFT},  // copy the line
      {'D', SCMOD_CTRL},                // duplicate
      {'U', SCMOD_CTRL},                // lower case
      {'U', SCMOD_CTRL | SCMOD_SHIFT},  // upper case
      {'I', SCMOD_CTRL | SCMOD_SHIFT},
      {SCK_DELETE, SCMOD_CTRL},                // delete the next word
      {SCK_DELETE, SCMOD_CTRL | SCMOD_SHIFT},  // delete to the line's end
      {SCK_BACK, SCMOD_CTRL | SCMOD_SHIFT},    // delete to the line's start
      {'N', SCMOD_CTRL},
      {'V', SCMOD_CTRL},
      {SCK_INSERT, SCMOD_SHIFT},
  };
  for (const auto& binding : cleared)
    Send(SCI_CLEARCMDKEY, binding.key + (binding.modifiers << 16));

  // Bookmarks 0 to 9 are markers of the same numbers, shown as their digit
  // in a margin of their own.
  Send(SCI_SETMARGINTYPEN, 1, SC_MARGIN_SYMBOL);
  Send(SCI_SETMARGINMASKN, 1, 0x3FF);
  for (int n = 0; n < 10; ++n) Send(SCI_MARKERDEFINE, n, SC_MARK_CHARACTER + '0' + n);
  ApplyAttributes();
}

// Each token kind is a Scintilla style of the same number, drawn with the
// attribute the highlighter gives that kind.
void ScriptEditorWindow::ApplyAttributes() {
  const auto defaultFore = static_cast<Rgb>(Send(SCI_STYLEGETFORE, STYLE_DEFAULT));
  const auto defaultBack = static_cast<Rgb>(Send(SCI_STYLEGETBACK, STYLE_DEFAULT));
  const HighlighterAttribute* byKind[] = {
      &highlighter_.CommentAttri, &highlighter_.IdentifierAttri,
      &highlighter_.KeyAttri,     nullptr,
      &highlighter_.SpaceAttri,   &highlighter_.StringAttri,
      &highlighter_.TestAttri,    &highlighter_.IdentifierAttri,
  };
  for (int kind = 0; kind < static_cast<int>(std::size(byKind)); ++kind) {
    const HighlighterAttribute* attribute = byKind[kind];
    if (!attribute) continue;
    Send(SCI_STYLESETFORE, kind, attribute->Foreground().value_or(defaultFore));
    Send(SCI_STYLESETBACK, kind, attribute->Background().value_or(defaultBack));
    Send(SCI_STYLESETBOLD, kind, (attribute->Style() & kFontBold) != 0);
    Send(SCI_STYLESETITALIC, kind, (attribute->Style() & kFontItalic) != 0);
    Send(SCI_STYLESETUNDERLINE, kind, (attribute->Style() & kFontUnderline) != 0);
  }
  InvalidateRect(editor_, nullptr, TRUE);
}

// Styles whole lines from the first one not yet styled to the line holding
// `endPosition`. The range left open at the end of each line is kept as the
// line's state and handed to the scanner for the next line.
void ScriptEditorWindow::StyleNeeded(intptr_t endPosition) {
  intptr_t line = Send(SCI_LINEFROMPOSITION, Send(SCI_GETENDSTYLED));
  const intptr_t lastLine = Send(SCI_LINEFROMPOSITION, endPosition);
  highlighter_.SetRange(line > 0 ? static_cast<ScanRange>(Send(SCI_GETLINESTATE, line - 1))
                                 : ScanRange::kUnknown);
  for (; line <= lastLine; ++line) {
    const intptr_t start = Send(SCI_POSITIONFROMLINE, line);
    const auto length = static_cast<std::size_t>(Send(SCI_LINELENGTH, line));
    if (lineBuffer_.size() < length + 1) lineBuffer_.resize(length + 1);
    Send(SCI_GETLINE, line, reinterpret_cast<LPARAM>(lineBuffer_.data()));
    lineBuffer_[length] = 0;
    Send(SCI_STARTSTYLING, start);
    highlighter_.SetLine(lineBuffer_.data(), static_cast<int>(line));
    while (!highlighter_.GetEol()) {
      Send(SCI_SETSTYLING, highlighter_.GetToken().size(),
           static_cast<int>(highlighter_.GetTokenKind()));
      highlighter_.Next();
    }
    Send(SCI_SETLINESTATE, line, static_cast<int>(highlighter_.GetRange()));
  }
}

void ScriptEditorWindow::EnableCommand(int id, bool enabled) {
  SendMessageW(toolbar_, TB_ENABLEBUTTON, id, MAKELPARAM(enabled ? TRUE : FALSE, 0));
  SetMenuItemEnabled(GetMenu(hwnd()), id, enabled);
}

bool ScriptEditorWindow::CommandEnabled(int id) const {
  const UINT state = GetMenuState(GetMenu(hwnd()), id, MF_BYCOMMAND);
  return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

void ScriptEditorWindow::UpdateActions() {
  const bool selection = Send(SCI_GETSELECTIONEMPTY) == 0;
  EnableCommand(IDM_SCRIPT_CUT, selection);
  EnableCommand(IDM_SCRIPT_COPY, selection);
  EnableCommand(IDM_SCRIPT_PASTE, Send(SCI_CANPASTE) != 0);
  EnableCommand(IDM_SCRIPT_UNDO, Send(SCI_CANUNDO) != 0);
  EnableCommand(IDM_SCRIPT_REDO, Send(SCI_CANREDO) != 0);
}

void ScriptEditorWindow::SelectAidsTab(int index) {
  SendMessageW(tabs_, TCM_SETCURSEL, index, 0);
  for (int page = 0; page < kTabCount; ++page) {
    for (int id : kTabPages[page]) ShowWindow(Control(id), page == index ? SW_SHOW : SW_HIDE);
  }
}

std::string ScriptEditorWindow::Caption() const {
  return TextOf(hwnd());
}

std::string ScriptEditorWindow::EditorText() const {
  const auto length = static_cast<std::size_t>(Send(SCI_GETLENGTH));
  std::string bytes(length + 1, '\0');
  Send(SCI_GETTEXT, length + 1, reinterpret_cast<LPARAM>(bytes.data()));
  bytes.resize(length);
  return Cp936ToUtf8(bytes);
}

// ScriptEditorView ---------------------------------------------------------

bool ScriptEditorWindow::TextIsEmpty() {
  return Send(SCI_GETLENGTH) == 0;
}

std::vector<std::string> ScriptEditorWindow::Lines() {
  return EditorLines(EditorText());
}

void ScriptEditorWindow::SetLines(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? "\r\n" : "") + lines[i];
  const std::string bytes = Utf8ToCp936(text);
  trackChanges_ = false;
  Send(SCI_SETTEXT, 0, reinterpret_cast<LPARAM>(bytes.c_str()));
  Send(SCI_EMPTYUNDOBUFFER);
  trackChanges_ = true;
}

void ScriptEditorWindow::ClearAll() {
  trackChanges_ = false;
  Send(SCI_CLEARALL);
  Send(SCI_MARKERDELETEALL, static_cast<WPARAM>(-1));
  Send(SCI_EMPTYUNDOBUFFER);
  trackChanges_ = true;
}

void ScriptEditorWindow::ReplaceSelection(const std::string& text) {
  const std::string bytes = Utf8ToCp936(WithCrLf(text));
  Send(SCI_REPLACESEL, 0, reinterpret_cast<LPARAM>(bytes.c_str()));
}

int ScriptEditorWindow::ShowMessage(const std::string& text, const std::string& caption,
                                    unsigned style) {
  return choosers.message(text, caption, style);
}

void ScriptEditorWindow::ShowCaption(const std::string& caption) {
  SetText(hwnd(), caption);
}

void ScriptEditorWindow::EnableSave(bool enabled) {
  EnableCommand(IDM_SCRIPT_SAVE, enabled);
}

std::optional<std::string> ScriptEditorWindow::ChooseScriptToOpen(const std::string& initialDir) {
  return choosers.openScript(initialDir);
}

std::optional<std::string> ScriptEditorWindow::ChooseScriptToSave(const std::string& initialDir,
                                                                  const std::string& suggested) {
  return choosers.saveScript(initialDir, suggested);
}

// Operations and handlers ----------------------------------------------------

void ScriptEditorWindow::NewScript() {
  model_.New();
}

bool ScriptEditorWindow::OpenScriptFile(const std::string& path) {
  return model_.OpenScriptFile(path);
}

void ScriptEditorWindow::NewScriptAt(const std::string& path) {
  model_.NewScriptAt(path);
}

void ScriptEditorWindow::InsertAtCaret(const std::string& text) {
  ReplaceSelection(text);
}

void ScriptEditorWindow::OpenScript() {
  model_.Open();
}
void ScriptEditorWindow::SaveScript() {
  model_.Save();
}
void ScriptEditorWindow::SaveScriptAs() {
  model_.SaveAs();
}
void ScriptEditorWindow::CutToClipboard() {
  Send(SCI_CUT);
}
void ScriptEditorWindow::CopyToClipboard() {
  Send(SCI_COPY);
}
// "粘贴" pastes into the script wherever the focus is. Text code page 936
// cannot hold is refused rather than pasted with "?" in place of its
// characters.
void ScriptEditorWindow::PasteFromClipboard() {
  if (!FitsCodePage936(ClipboardText(hwnd()))) {
    ShowMessage(kUnpastableMessage, std::string(kInputErrorTitle), MB_OK | MB_ICONWARNING);
    return;
  }
  Send(SCI_PASTE);
}
void ScriptEditorWindow::UndoEdit() {
  Send(SCI_UNDO);
}
void ScriptEditorWindow::RedoEdit() {
  Send(SCI_REDO);
}
void ScriptEditorWindow::OnExitItem() {
  PostMessageW(hwnd(), WM_CLOSE, 0, 0);
}

void ScriptEditorWindow::InsertOpenFile() {
  if (const std::optional<std::string> path = choosers.anyFile()) {
    InsertChecked(OpenFileInsertion(*path));
  }
}

void ScriptEditorWindow::InsertOpenFolder() {
  if (const std::optional<std::string> path = choosers.folder()) {
    InsertChecked(OpenFolderInsertion(*path));
  }
}

void ScriptEditorWindow::ShowWizard() {
  if (hooks.showWizard) hooks.showWizard();
}

void ScriptEditorWindow::InsertCutMacro() {
  InsertAtCaret(std::string(kCutMacro));
}
void ScriptEditorWindow::InsertCopyMacro() {
  InsertAtCaret(std::string(kCopyMacro));
}
void ScriptEditorWindow::InsertPasteMacro() {
  InsertAtCaret(std::string(kPasteMacro));
}
void ScriptEditorWindow::InsertComment() {
  InsertAtCaret(std::string(kCommentMarker));
}

void ScriptEditorWindow::InsertKeyCommand() {
  InsertChecked(
      KeyCommandInsertion(TextOf(Control(IDC_SCRIPT_KEYSORT)), TextOf(Control(IDC_SCRIPT_KEY))));
}

void ScriptEditorWindow::InsertMouseCommand() {
  InsertChecked(MouseCommandInsertion(TextOf(Control(IDC_SCRIPT_MOUSELIST))));
}

void ScriptEditorWindow::InsertDelay() {
  InsertChecked(
      DelayCommandInsertion(TextOf(Control(IDC_SCRIPT_UNIT)), TextOf(Control(IDC_SCRIPT_DELAY))));
}

void ScriptEditorWindow::InsertChecked(const Insertion& insertion) {
  if (!insertion.error.empty()) {
    ShowMessage(insertion.error, std::string(kInputErrorTitle), MB_OK | MB_ICONWARNING);
    return;
  }
  InsertAtCaret(insertion.text);
  SetFocus(editor_);
}

void ScriptEditorWindow::OpenHelp() {
  if (hooks.showHelp) hooks.showHelp();
}

void ScriptEditorWindow::ShowAbout() {
  if (hooks.showAbout) hooks.showAbout();
}

bool ScriptEditorWindow::CloseWindow() {
  if (!model_.CloseQuery()) return false;
  if (const std::optional<std::string> name = model_.Close()) {
    if (hooks.scriptClosed) hooks.scriptClosed(*name);
  }
  ShowWindow(hwnd(), SW_HIDE);
  modalRunning_ = false;
  return true;
}

void ScriptEditorWindow::ShowModalOver(HWND owner) {
  const bool disable = owner && IsWindowEnabled(owner);
  if (disable) EnableWindow(owner, FALSE);
  // Owned by the window it is modal over, it comes and stays in front of it,
  // although both stay on top of other windows.
  SetWindowLongPtrW(hwnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  modalRunning_ = true;
  ShowWindow(hwnd(), SW_SHOWNORMAL);
  SetForegroundWindow(hwnd());
  SetFocus(editor_);
  MSG message;
  while (modalRunning_) {
    // Cut, Copy, Paste, Undo and Redo follow the editor whenever it is idle.
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
      UpdateActions();
      WaitMessage();
      continue;
    }
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      // The program is ending: leave the quit message for the main loop.
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (HandleModelessDialogMessage(message)) continue;
    if (TranslateAcceleratorW(hwnd(), accelerators_, &message)) continue;
    if (!IsDialogMessageW(hwnd(), &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  modalRunning_ = false;
  SetWindowLongPtrW(hwnd(), GWLP_HWNDPARENT, 0);
  if (disable) EnableWindow(owner, TRUE);
  if (owner) SetForegroundWindow(owner);
}

void ScriptEditorWindow::OnCommand(int id, int code) {
  // Notifications of the edits and lists are not commands.
  if (code > 1) return;
  if (EditorKeyCommand(id)) return;
  if (DispatchMenuCommand(std::span<const MenuItem<Form>>(kMenuBar), *this,
                          static_cast<UINT>(id))) {
    return;
  }
  DispatchCommand(kAidCommands, *this, id);
}

// Indents or unindents every line the selection touches by one indent
// step, as one undoable change; the selected text itself stays. A selection
// that ends at the start of a line leaves that line alone.
void ScriptEditorWindow::IndentSelectedLines(bool indent) {
  const intptr_t start = Send(SCI_GETSELECTIONSTART);
  const intptr_t end = Send(SCI_GETSELECTIONEND);
  const intptr_t first = Send(SCI_LINEFROMPOSITION, start);
  intptr_t last = Send(SCI_LINEFROMPOSITION, end);
  if (last > first && Send(SCI_POSITIONFROMLINE, last) == end) --last;
  const intptr_t step = Send(SCI_GETINDENT) > 0 ? Send(SCI_GETINDENT) : Send(SCI_GETTABWIDTH);
  Send(SCI_BEGINUNDOACTION);
  for (intptr_t line = first; line <= last; ++line) {
    const intptr_t width = Send(SCI_GETLINEINDENTATION, line);
    const intptr_t wanted = indent ? width + step : std::max<intptr_t>(0, width - step);
    if (wanted != width) Send(SCI_SETLINEINDENTATION, line, wanted);
  }
  Send(SCI_ENDUNDOACTION);
}

bool ScriptEditorWindow::EditorKeyCommand(int id) {
  if (id >= IDM_SCRIPT_SET_BOOKMARK && id < IDM_SCRIPT_SET_BOOKMARK + 10) {
    const int n = id - IDM_SCRIPT_SET_BOOKMARK;
    Send(SCI_MARKERDELETEALL, n);
    Send(SCI_MARKERADD, Send(SCI_LINEFROMPOSITION, Send(SCI_GETCURRENTPOS)), n);
    return true;
  }
  if (id >= IDM_SCRIPT_GOTO_BOOKMARK && id < IDM_SCRIPT_GOTO_BOOKMARK + 10) {
    const intptr_t line = Send(SCI_MARKERNEXT, 0, 1 << (id - IDM_SCRIPT_GOTO_BOOKMARK));
    if (line >= 0) Send(SCI_GOTOLINE, line);
    return true;
  }
  switch (id) {
    case IDM_SCRIPT_SELECT_STREAM:
      Send(SCI_SETSELECTIONMODE, SC_SEL_STREAM);
      return true;
    case IDM_SCRIPT_SELECT_COLUMNS:
      Send(SCI_SETSELECTIONMODE, SC_SEL_RECTANGLE);
      return true;
    case IDM_SCRIPT_SELECT_LINES:
      Send(SCI_SETSELECTIONMODE, SC_SEL_LINES);
      return true;
    case IDM_SCRIPT_MATCH_BRACKET: {
      const intptr_t match = Send(SCI_BRACEMATCH, Send(SCI_GETCURRENTPOS), 0);
      if (match >= 0) Send(SCI_GOTOPOS, match);
      return true;
    }
    case IDM_SCRIPT_CONTEXT_HELP:
      OpenHelp();
      return true;
    case IDM_SCRIPT_INDENT:
    case IDM_SCRIPT_UNINDENT:
      IndentSelectedLines(id == IDM_SCRIPT_INDENT);
      return true;
    case IDM_SCRIPT_PASTE_KEY: {
      // The paste keys of the aids' own fields paste there.
      HWND focus = GetFocus();
      if (focus && focus != editor_ && IsChild(hwnd(), focus)) {
        SendMessageW(focus, WM_PASTE, 0, 0);
      } else {
        PasteFromClipboard();
      }
      return true;
    }
    default:
      return false;
  }
}

LRESULT ScriptEditorWindow::OnNotify(NMHDR& header) {
  if (header.hwndFrom == editor_) {
    const auto& notification = reinterpret_cast<const SCNotification&>(header);
    if (header.code == SCN_STYLENEEDED) StyleNeeded(notification.position);
    if (header.code == SCN_MODIFIED && trackChanges_ &&
        (notification.modificationType & (SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT))) {
      model_.TextChanged();
    }
    return 0;
  }
  if (header.hwndFrom == tabs_ && header.code == TCN_SELCHANGE) {
    SelectAidsTab(static_cast<int>(SendMessageW(tabs_, TCM_GETCURSEL, 0, 0)));
    return 0;
  }
  if (header.code == TTN_GETDISPINFOW) {
    auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
    const int id = (info.uFlags & TTF_IDISHWND)
                       ? GetDlgCtrlID(reinterpret_cast<HWND>(header.idFrom))
                       : static_cast<int>(header.idFrom);
    for (std::size_t i = 0; i < std::size(kTips); ++i) {
      if (kTips[i].id == id) info.lpszText = tipTexts_[i].data();
    }
  }
  return 0;
}

LRESULT ScriptEditorWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      RunGuarded(platform_, [&] { OnCommand(LOWORD(wParam), HIWORD(wParam)); });
      return 0;
    case WM_NOTIFY: {
      LRESULT result = 0;
      RunGuarded(platform_, [&] { result = OnNotify(*reinterpret_cast<NMHDR*>(lParam)); });
      return result;
    }
    case WM_CLOSE:
      RunGuarded(platform_, [&] { CloseWindow(); });
      return 0;
    case WM_SIZE:
      layout_.Apply(hwnd());
      return 0;
    case WM_DPICHANGED:
      Window::HandleMessage(message, wParam, lParam);
      layout_.Apply(hwnd());
      return 0;
    case WM_SETFOCUS:
      SetFocus(editor_);
      return 0;
    case WM_GETMINMAXINFO: {
      // Never narrower than the widest tab of aids, so none is cut off.
      const UINT dpi = DpiForWindow(hwnd());
      RECT frame{0, 0, ScaleForDpi(kMinimumClientWidth, dpi), ScaleForDpi(200, dpi)};
      AdjustWindowRectForDpi(frame, WS_OVERLAPPEDWINDOW, true, WS_EX_TOPMOST, dpi);
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
      return 0;
    }
    default:
      return Window::HandleMessage(message, wParam, lParam);
  }
}

}  // namespace tav
