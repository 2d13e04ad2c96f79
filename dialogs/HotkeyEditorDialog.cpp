#include "dialogs/HotkeyEditorDialog.h"

#include "platform/win32/WinApi.h"

#include <commdlg.h>
#include <shlobj.h>

#include <vector>

#include "base/AsciiText.h"
#include "base/AtomicFile.h"
#include "dialogs/DisabledWindow.h"
#include "dialogs/OperationChooserDialog.h"
#include "platform/win32/Commands.h"
#include "platform/win32/Controls.h"
#include "platform/win32/FileDialogs.h"
#include "platform/win32/Wide.h"
#include "res/resource.h"
#include "storage/SettingsFile.h"

namespace tav {

namespace {

constexpr Command<HotkeyEditorDialog> kCommands[] = {
    {IDC_EDITOR_OK, &HotkeyEditorDialog::OnOk},
    {IDCANCEL, &HotkeyEditorDialog::OnCancel},
    {IDC_EDITOR_FILE, &HotkeyEditorDialog::ChooseFile},
    {IDC_EDITOR_FOLDER, &HotkeyEditorDialog::ChooseFolder},
    {IDC_EDITOR_ACTION, &HotkeyEditorDialog::ChooseOperation},
    {IDC_EDITOR_SCRIPT, &HotkeyEditorDialog::ChooseScript},
    {IDC_EDITOR_HELP, &HotkeyEditorDialog::OnHelp},
    {IDC_EDITOR_PICK_PROGRAMS, &HotkeyEditorDialog::PickProgramsClick},
};

// The condition box's items, in the order of ConditionMode.
constexpr const char* kConditionChoices[] = {"所有程序", "仅在以下程序中", "以下程序中除外"};

struct ToolTip {
  int id;
  const char* text;
};
constexpr ToolTip kToolTips[] = {
    {IDC_EDITOR_FILE, "选择文件"},       {IDC_EDITOR_FOLDER, "选择文件夹"},
    {IDC_EDITOR_ACTION, "选择操作"},     {IDC_EDITOR_SCRIPT, "编辑脚本"},
    {IDC_EDITOR_HELP, "不会用？点这里"},
};

constexpr const char* kUnsavedChangeQuestion = "您对当前热键的修改还未保存，要放弃这些修改吗？";

// The extension of a path's file name, dot included; empty when none.
std::string ExtensionOf(const std::string& path) {
  const std::string name = FileNameOf(path);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

}  // namespace

HotkeyEditorDialog::HotkeyEditorDialog(Platform& platform, std::string programDirectory,
                                       EntryEditorHost& host, InsertionRouter& router,
                                       OperationChooserDialog& chooser)
    : Dialog(platform, IDD_HOTKEY_EDITOR),
      programDirectory_(std::move(programDirectory)),
      host_(host),
      router_(router),
      chooser_(chooser),
      programPicker_(platform) {}

void HotkeyEditorDialog::OpenForAdd(HWND owner, const std::string& target,
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

void HotkeyEditorDialog::OpenForChange(HWND owner, int slot, const HotkeySlot& entry) {
  const bool changing = IsShowing();
  if (changing) {
    SetForegroundWindow(hwnd());
    if (!IsChangeMode()) return;
    if (Input() != shown_ &&
        platform().MessageBox(kUnsavedChangeQuestion, kChangeCaption,
                              mb::kOkCancel | mb::kIconQuestion) != mb::kIdOk) {
      return;
    }
  }
  caption_ = kChangeCaption;
  change_ = {host_.ActiveSchemePath(), slot, entry};
  pending_ = {{entry.modifiers, entry.virtualKey},
              entry.action,
              entry.hint,
              entry.category,
              entry.enabled,
              entry.condition};
  category_ = entry.category;
  if (changing) {
    ShowFields();
    return;
  }
  if (!CreateModeless(owner)) return;
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
}

void HotkeyEditorDialog::SetTargetAndRemark(const std::string& target, const std::string& remark) {
  SetTarget(target);
  if (hwnd()) {
    SetItemText(IDC_EDITOR_REMARK, remark);
  } else {
    pending_.hint = remark;
  }
}

void HotkeyEditorDialog::SetTarget(const std::string& target) {
  if (hwnd()) {
    SetItemText(IDC_EDITOR_TARGET, target);
  } else {
    pending_.action = target;
  }
}

EntryInput HotkeyEditorDialog::Input() const {
  if (!hwnd()) return pending_;
  const auto value =
      static_cast<uint16_t>(SendMessageW(Item(IDC_EDITOR_HOTKEY), HKM_GETHOTKEY, 0, 0));
  const auto mode = static_cast<int>(SendMessageW(Item(IDC_EDITOR_CONDITION), CB_GETCURSEL, 0, 0));
  EntryCondition condition{mode > 0 ? static_cast<ConditionMode>(mode) : ConditionMode::kOff,
                           ItemText(IDC_EDITOR_PROGRAMS), ItemText(IDC_EDITOR_TITLE)};
  return {FromControlValue(value),
          ItemText(IDC_EDITOR_TARGET),
          ItemText(IDC_EDITOR_REMARK),
          ItemText(IDC_EDITOR_CATEGORY),
          pending_.enabled,
          std::move(condition)};
}

std::string HotkeyEditorDialog::StatusText(int part) const {
  HWND status = Item(IDC_EDITOR_STATUS);
  const auto length = LOWORD(SendMessageW(status, SB_GETTEXTLENGTHW, part, 0));
  std::wstring text(length + 1, L'\0');
  SendMessageW(status, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text.data()));
  text.resize(length);
  return Narrow(text);
}

bool HotkeyEditorDialog::OnInit() {
  SetText(hwnd(), caption_);
  HWND hotkey = Item(IDC_EDITOR_HOTKEY);
  SendMessageW(hotkey, HKM_SETRULES, kRefusedCombinations, MAKELPARAM(kReplacementModifiers, 0));
  OnShow();
  HWND condition = Item(IDC_EDITOR_CONDITION);
  SendMessageW(condition, CB_RESETCONTENT, 0, 0);
  for (const char* choice : kConditionChoices) AddComboItem(condition, choice);
  EnableWindow(Item(IDC_EDITOR_SCRIPT), openScriptEditor ? TRUE : FALSE);
  AddToolTips();
  ShowFields();
  SetForegroundWindow(hwnd());
  SetFocus(hotkey);
  return false;
}

void HotkeyEditorDialog::ShowFields() {
  SendMessageW(Item(IDC_EDITOR_HOTKEY), HKM_SETHOTKEY, ToControlValue(pending_.hotkey), 0);
  SetItemText(IDC_EDITOR_TARGET, pending_.action);
  SetItemText(IDC_EDITOR_REMARK, pending_.hint);
  SetItemText(IDC_EDITOR_CATEGORY, category_);
  SendMessageW(Item(IDC_EDITOR_CONDITION), CB_SETCURSEL,
               static_cast<WPARAM>(pending_.condition.mode), 0);
  SetItemText(IDC_EDITOR_PROGRAMS, pending_.condition.programs);
  SetItemText(IDC_EDITOR_TITLE, pending_.condition.title);
  ConditionChange();
  OnHotkeyChange();
  OnTargetChange();
  shown_ = Input();
}

void HotkeyEditorDialog::AddToolTips() {
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

bool HotkeyEditorDialog::OnCommand(int id, int notifyCode) {
  if (id == IDOK) {
    EnterPressed();
    return true;
  }
  if (notifyCode == EN_CHANGE && id == IDC_EDITOR_TARGET) {
    OnTargetChange();
    return true;
  }
  if (notifyCode == EN_CHANGE &&
      (id == IDC_EDITOR_HOTKEY || id == IDC_EDITOR_PROGRAMS || id == IDC_EDITOR_TITLE)) {
    OnHotkeyChange();  // the clash notice depends on the condition too
    return true;
  }
  if (notifyCode == CBN_SELCHANGE && id == IDC_EDITOR_CONDITION) {
    ConditionChange();
    return true;
  }
  if (notifyCode != BN_CLICKED) return false;
  return DispatchCommand(kCommands, *this, id);
}

bool HotkeyEditorDialog::OnMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/,
                                   INT_PTR& result) {
  if (message != WM_DROPFILES) return false;
  OnFilesDropped(reinterpret_cast<HDROP>(wParam));
  result = TRUE;
  return true;
}

void HotkeyEditorDialog::EnterPressed() {
  if (GetFocus() == Item(IDC_EDITOR_REMARK)) OnOk();
}

void HotkeyEditorDialog::OnShow() {
  HWND combo = Item(IDC_EDITOR_CATEGORY);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const std::string& category : ReadCategories(programDirectory_))
    AddComboItem(combo, category);
}

void HotkeyEditorDialog::OnOk() {
  const EntryInput input = Input();
  bool written = false;
  {
    const DisabledWindow asking(hwnd());
    written = IsChangeMode() ? ReplaceEntry(platform(), host_, change_, input)
                             : AppendEntry(platform(), host_, input);
  }
  if (written) Close();
}

void HotkeyEditorDialog::OnCancel() {
  Close();
}

void HotkeyEditorDialog::Close() {
  OnClose();
  if (IsChangeMode()) {
    // Destroyed rather than hidden, so that the next add can show it modally.
    DestroyWindow(hwnd());
  } else {
    EndModal(IDCANCEL);
  }
}

void HotkeyEditorDialog::OnClose() {
  category_ = ItemText(IDC_EDITOR_CATEGORY);
  pending_ = {};
  change_ = {};
  SetItemText(IDC_EDITOR_TARGET, "");
  SetItemText(IDC_EDITOR_REMARK, "");
  SetItemText(IDC_EDITOR_PROGRAMS, "");
  SetItemText(IDC_EDITOR_TITLE, "");
  SendMessageW(Item(IDC_EDITOR_CONDITION), CB_SETCURSEL, 0, 0);
  SendMessageW(Item(IDC_EDITOR_HOTKEY), HKM_SETHOTKEY, 0, 0);
}

void HotkeyEditorDialog::ConditionChange() {
  const bool conditioned = SendMessageW(Item(IDC_EDITOR_CONDITION), CB_GETCURSEL, 0, 0) > 0;
  for (int id : {IDC_EDITOR_PROGRAMS, IDC_EDITOR_PICK_PROGRAMS, IDC_EDITOR_TITLE})
    EnableWindow(Item(id), conditioned);
  OnHotkeyChange();
}

void HotkeyEditorDialog::PickProgramsClick() {
  const std::vector<std::string> picked = programPicker_.Pick(hwnd(), listPrograms());
  if (picked.empty()) return;
  SetItemText(IDC_EDITOR_PROGRAMS, WithPickedPrograms(ItemText(IDC_EDITOR_PROGRAMS), picked));
}

void HotkeyEditorDialog::ChooseFile() {
  std::vector<wchar_t> file(32768, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = hwnd();
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER;
  if (RunOpenFileDialog(dialog)) SetTarget(Narrow(file.data()));
}

void HotkeyEditorDialog::ChooseFolder() {
  BROWSEINFOW browse{};
  browse.hwndOwner = hwnd();
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
  if (!chosen) return;
  wchar_t path[MAX_PATH] = {};
  if (SHGetPathFromIDListW(chosen, path)) SetTarget(Narrow(path));
  CoTaskMemFree(chosen);
}

void HotkeyEditorDialog::ChooseOperation() {
  router_.set_target(InsertionTarget::kHotkeyEditor);
  chooser_.ShowModal(hwnd());
}

HotkeyEditorDialog::ScriptRequest HotkeyEditorDialog::ScriptRequestFor(const std::string& target) {
  if (!EqualsIgnoringAsciiCase(ExtensionOf(target), ".tsc")) return {ScriptRequest::Kind::kNew, {}};
  if (FileExists(target)) return {ScriptRequest::Kind::kOpen, target};
  return {ScriptRequest::Kind::kShowOnly, target};
}

void HotkeyEditorDialog::ChooseScript() {
  if (openScriptEditor) openScriptEditor(*this, ScriptRequestFor(ItemText(IDC_EDITOR_TARGET)));
}

void HotkeyEditorDialog::OnHelp() {
  if (openHelp) {
    openHelp("AddHotkey.htm");
  } else {
    platform().ShellOpen(programDirectory_ + "帮助.chm");
  }
}

void HotkeyEditorDialog::OnFilesDropped(HDROP drop) {
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

void HotkeyEditorDialog::OnTargetChange() {
  ShowStatus();
}

void HotkeyEditorDialog::OnHotkeyChange() {
  const int ownSlot = IsChangeMode() ? change_.position : -1;
  const EntryInput input = Input();
  clashNotice_ = ClashNotice(platform(), host_.Slots(), ownSlot, input.hotkey, input.condition);
  ShowStatus();
}

// The target text in the first part; a taken hotkey's notice in a second
// part sized to it.
void HotkeyEditorDialog::ShowStatus() {
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
