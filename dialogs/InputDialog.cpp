#include "dialogs/InputDialog.h"

#include "base/Errors.h"
#include "dialogs/DisabledWindow.h"
#include "platform/win32/Commands.h"
#include "platform/win32/Controls.h"
#include "res/resource.h"

namespace tav {

namespace {

constexpr Command<InputDialog> kCommands[] = {
    // Enter in the input presses the default button, IDOK.
    {IDOK, &InputDialog::OnOk},
    {IDCANCEL, &InputDialog::OnCancel},
};

}  // namespace

InputDialog::InputDialog(Platform& platform, std::string programDirectory, InsertionRouter& router,
                         SchemeMenuCallbacks menus)
    : Dialog(platform, IDD_INPUT),
      programDirectory_(std::move(programDirectory)),
      router_(router),
      menus_(std::move(menus)) {}

void InputDialog::OpenForNewScheme(HWND owner) {
  Open(owner, kNewSchemeCaption, kNewSchemePrompt);
}

void InputDialog::OpenForPasteText(HWND owner) {
  Open(owner, kPasteTextCaption, kPasteTextPrompt);
}

void InputDialog::Open(HWND owner, const char* caption, const char* prompt) {
  caption_ = caption;
  prompt_ = prompt;
  if (ShowModal(owner) == -1)
    throw Error("无法显示对话框“" + caption_ + "”（" + std::to_string(GetLastError()) + "）");
}

bool InputDialog::OnInit() {
  SetText(hwnd(), caption_);
  SetItemText(IDC_INPUT_PROMPT, prompt_);
  SetItemText(IDC_INPUT_EDIT, "");
  OnShow();
  SetForegroundWindow(hwnd());
  SetFocus(Item(IDC_INPUT_EDIT));
  return false;
}

bool InputDialog::OnCommand(int id, int /*notifyCode*/) {
  return DispatchCommand(kCommands, *this, id);
}

void InputDialog::OnShow() {
  SetItemText(IDC_INPUT_MEMO, InputExplanationText(caption_));
}

void InputDialog::OnOk() {
  const std::string input = ItemText(IDC_INPUT_EDIT);
  if (caption_ == kNewSchemeCaption) {
    const DisabledWindow asking(hwnd());
    if (!CreateNamedScheme(platform(), programDirectory_, input, menus_)) return;
  } else if (caption_ == kPasteTextCaption) {
    const PasteTextChoice paste = PasteTextResult(input);
    router_.Deliver(paste.action, paste.remark);
  }
  EndModal(IDOK);
}

void InputDialog::OnCancel() {
  SetItemText(IDC_INPUT_EDIT, "");
  EndModal(IDCANCEL);
}

}  // namespace tav
