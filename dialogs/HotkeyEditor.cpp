#include "dialogs/HotkeyEditor.h"

#include "platform/win32/WinApi.h"

#include <commdlg.h>
#include <shlobj.h>

#include <vector>

#include "app/resource.h"
#include "base/AsciiText.h"
#include "base/AtomicFile.h"
#include "dialogs/DisabledWindow.h"
#include "dialogs/OperationChooser.h"
#include "platform/win32/Commands.h"
#include "platform/win32/Controls.h"
#include "platform/win32/FileDialogs.h"
#include "platform/win32/Wide.h"
#include "storage/SettingsFile.h"

namespace tav {

namespace {

constexpr Command<TAddOrChange_Form> kCommands[] = {
    {IDC_EDITOR_OK, &TAddOrChange_Form::OK_BitBtnClick},
    {IDCANCEL, &TAddOrChange_Form::C_BitBtnClick},
    {IDC_EDITOR_FILE, &TAddOrChange_Form::File_SBtnClick},
    {IDC_EDITOR_FOLDER, &TAddOrChange_Form::folder_SBtnClick},
    {IDC_EDITOR_ACTION, &TAddOrChange_Form::SpeedButton3Click},
    {IDC_EDITOR_SCRIPT, &TAddOrChange_Form::scrip_sbtnClick},
    {IDC_EDITOR_HELP, &TAddOrChange_Form::btnHelpClick},
};

struct ToolTip {
  int id;
  const char* text;
};
constexpr ToolTip kToolTips[] = {
    {IDC_EDITOR_FILE, "选择文件"},       {IDC_EDITOR_FOLDER, "选择文件夹"},
    {IDC_EDITOR_ACTION, "选择操作"},     {IDC_EDITOR_SCRIPT, "编辑脚本"},
    {IDC_EDITOR_HELP, "不会用？点这里"},
};

// The extension of a path's file name, dot included; empty when none.
std::string ExtensionOf(const std::string& path) {
  const std::string name = FileNameOf(path);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

}  // namespace

TAddOrChange_Form::TAddOrChange_Form(Platform& platform, std::string programDirectory,
                                     EntryEditorHost& host, InsertionRouter& router,
                                     TDoList_Form& chooser)
    : Dialog(platform, IDD_HOTKEY_EDITOR),
      programDirectory_(std::move(programDirectory)),
      host_(host),
      router_(router),
      chooser_(chooser) {}

void TAddOrChange_Form::OpenForAdd(HWND owner, const std::string& target,
                                   const std::string& remark) {
  if (IsShowing()) {
    SetForegroundWindow(hwnd());
    return;
  }
  caption_ = kAddCaption;
  pending_.action = target;
  pending_.hint = remark;
  ShowModal(owner);
}

void TAddOrChange_Form::OpenForChange(HWND owner, int slot, const HotkeySlot& entry) {
  if (IsShowing()) {
    SetForegroundWindow(hwnd());
    return;
  }
  caption_ = kChangeCaption;
  change_ = {host_.ActiveSchemePath(), slot, entry};
  pending_ = {{entry.modifiers, entry.virtualKey}, entry.action, entry.hint, entry.category};
  category_ = entry.category;
  if (!CreateModeless(owner)) return;
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
}

void TAddOrChange_Form::SetTargetAndRemark(const std::string& target, const std::string& remark) {
  SetTarget(target);
  if (hwnd()) {
    SetItemText(IDC_EDITOR_REMARK, remark);
  } else {
    pending_.hint = remark;
  }
}

void TAddOrChange_Form::SetTarget(const std::string& target) {
  if (hwnd()) {
    SetItemText(IDC_EDITOR_TARGET, target);
  } else {
    pending_.action = target;
  }
}

EntryInput TAddOrChange_Form::Input() const {
  if (!hwnd()) return pending_;
  const auto value =
      static_cast<uint16_t>(SendMessageW(Item(IDC_EDITOR_HOTKEY), HKM_GETHOTKEY, 0, 0));
  return {FromControlValue(value), ItemText(IDC_EDITOR_TARGET), ItemText(IDC_EDITOR_REMARK),
          ItemText(IDC_EDITOR_CATEGORY)};
}

std::string TAddOrChange_Form::StatusText(int part) const {
  HWND status = Item(IDC_EDITOR_STATUS);
  const auto length = LOWORD(SendMessageW(status, SB_GETTEXTLENGTHW, part, 0));
  std::wstring text(length + 1, L'\0');
  SendMessageW(status, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text.data()));
  text.resize(length);
  return Narrow(text);
}

bool TAddOrChange_Form::OnInit() {
  SetText(hwnd(), caption_);
  HWND hotkey = Item(IDC_EDITOR_HOTKEY);
  SendMessageW(hotkey, HKM_SETRULES, kRefusedCombinations, MAKELPARAM(kReplacementModifiers, 0));
  SendMessageW(hotkey, HKM_SETHOTKEY, ToControlValue(pending_.hotkey), 0);
  FormShow();
  SetItemText(IDC_EDITOR_TARGET, pending_.action);
  SetItemText(IDC_EDITOR_REMARK, pending_.hint);
  SetItemText(IDC_EDITOR_CATEGORY, category_);
  EnableWindow(Item(IDC_EDITOR_SCRIPT), openScriptEditor ? TRUE : FALSE);
  AddToolTips();
  HotKeyChange();
  Path_LabEditChange();
  SetForegroundWindow(hwnd());
  SetFocus(hotkey);
  return false;
}

void TAddOrChange_Form::AddToolTips() {
  toolTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(),
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!toolTip_) return;
  for (const ToolTip& tip : kToolTips) {
    std::wstring text = Widen(tip.text);
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = hwnd();
    info.uId = reinterpret_cast<UINT_PTR>(Item(tip.id));
    info.lpszText = text.data();
    SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  }
}

bool TAddOrChange_Form::OnCommand(int id, int notifyCode) {
  if (id == IDOK) {
    EnterPressed();
    return true;
  }
  if (notifyCode == EN_CHANGE && id == IDC_EDITOR_TARGET) {
    Path_LabEditChange();
    return true;
  }
  if (notifyCode == EN_CHANGE && id == IDC_EDITOR_HOTKEY) {
    HotKeyChange();
    return true;
  }
  if (notifyCode != BN_CLICKED) return false;
  return DispatchCommand(kCommands, *this, id);
}

bool TAddOrChange_Form::OnMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/, INT_PTR& result) {
  if (message != WM_DROPFILES) return false;
  DropFileTargetDrop(reinterpret_cast<HDROP>(wParam));
  result = TRUE;
  return true;
}

void TAddOrChange_Form::EnterPressed() {
  if (GetFocus() == Item(IDC_EDITOR_REMARK)) OK_BitBtnClick();
}

void TAddOrChange_Form::FormShow() {
  HWND combo = Item(IDC_EDITOR_CATEGORY);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const std::string& category : ReadCategories(programDirectory_))
    AddComboItem(combo, category);
}

void TAddOrChange_Form::OK_BitBtnClick() {
  const EntryInput input = Input();
  bool written = false;
  {
    const DisabledWindow asking(hwnd());
    written = IsChangeMode() ? ReplaceEntry(platform(), host_, change_, input)
                             : AppendEntry(platform(), host_, input);
  }
  if (written) Close();
}

void TAddOrChange_Form::C_BitBtnClick() {
  Close();
}

void TAddOrChange_Form::Close() {
  FormClose();
  if (IsChangeMode()) {
    // Destroyed rather than hidden, so that the next add can show it modally.
    DestroyWindow(hwnd());
  } else {
    EndModal(IDCANCEL);
  }
}

void TAddOrChange_Form::FormClose() {
  category_ = ItemText(IDC_EDITOR_CATEGORY);
  pending_ = {};
  change_ = {};
  SetItemText(IDC_EDITOR_TARGET, "");
  SetItemText(IDC_EDITOR_REMARK, "");
  SendMessageW(Item(IDC_EDITOR_HOTKEY), HKM_SETHOTKEY, 0, 0);
}

void TAddOrChange_Form::File_SBtnClick() {
  std::vector<wchar_t> file(32768, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = hwnd();
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER;
  if (RunOpenFileDialog(dialog)) SetTarget(Narrow(file.data()));
}

void TAddOrChange_Form::folder_SBtnClick() {
  BROWSEINFOW browse{};
  browse.hwndOwner = hwnd();
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
  if (!chosen) return;
  wchar_t path[MAX_PATH] = {};
  if (SHGetPathFromIDListW(chosen, path)) SetTarget(Narrow(path));
  CoTaskMemFree(chosen);
}

void TAddOrChange_Form::SpeedButton3Click() {
  router_.set_target(InsertionTarget::kHotkeyEditor);
  chooser_.ShowModal(hwnd());
}

TAddOrChange_Form::ScriptRequest TAddOrChange_Form::ScriptRequestFor(const std::string& target) {
  if (!EqualsIgnoringAsciiCase(ExtensionOf(target), ".tsc")) return {ScriptRequest::Kind::kNew, {}};
  if (FileExists(target)) return {ScriptRequest::Kind::kOpen, target};
  return {ScriptRequest::Kind::kShowOnly, target};
}

void TAddOrChange_Form::scrip_sbtnClick() {
  if (openScriptEditor) openScriptEditor(*this, ScriptRequestFor(ItemText(IDC_EDITOR_TARGET)));
}

void TAddOrChange_Form::btnHelpClick() {
  if (openHelp) {
    openHelp("AddHotkey.htm");
  } else {
    platform().ShellOpen(programDirectory_ + "帮助.chm");
  }
}

void TAddOrChange_Form::DropFileTargetDrop(HDROP drop) {
  if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) > 0) {
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    DragQueryFileW(drop, 0, path.data(), length + 1);
    path.resize(length);
    std::string target = Narrow(path);
    while (target.size() > 3 && (target.back() == '\\' || target.back() == '/')) target.pop_back();
    SetTargetAndRemark(target, FileNameOf(target));
  }
  DragFinish(drop);
}

void TAddOrChange_Form::Path_LabEditChange() {
  ShowStatus();
}

void TAddOrChange_Form::HotKeyChange() {
  const int ownSlot = IsChangeMode() ? change_.position : -1;
  clashNotice_ = ClashNotice(platform(), host_.Slots(), ownSlot, Input().hotkey);
  ShowStatus();
}

// The target text in the first part; a taken hotkey's notice in a second
// part sized to it.
void TAddOrChange_Form::ShowStatus() {
  HWND status = Item(IDC_EDITOR_STATUS);
  RECT client{};
  GetClientRect(status, &client);
  if (clashNotice_.empty()) {
    int parts[] = {-1};
    SendMessageW(status, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(parts));
  } else {
    const std::wstring notice = Widen(clashNotice_);
    HDC dc = GetDC(status);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(status, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, notice.c_str(), static_cast<int>(notice.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(status, dc);
    int parts[] = {std::max<int>(client.right - size.cx - 16, client.right / 3), -1};
    SendMessageW(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    SendMessageW(status, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(notice.c_str()));
  }
  const std::wstring target = Widen(ItemText(IDC_EDITOR_TARGET));
  SendMessageW(status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(target.c_str()));
}

}  // namespace tav
