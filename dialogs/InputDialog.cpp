#include "dialogs/InputDialog.h"

#include "app/resource.h"
#include "base/Errors.h"
#include "platform/win32/Commands.h"
#include "platform/win32/Controls.h"

namespace tav {

namespace {

constexpr Command<TAddOrChangeSort_Form> kCommands[] = {
    // Enter in the input presses the default button, IDOK.
    {IDOK, &TAddOrChangeSort_Form::OK_BitBtnClick},
    {IDCANCEL, &TAddOrChangeSort_Form::C_BitBtnClick},
};

}  // namespace

TAddOrChangeSort_Form::TAddOrChangeSort_Form(Platform& platform, std::string programDirectory,
                                             InsertionRouter& router, SchemeMenuCallbacks menus)
    : Dialog(platform, IDD_INPUT),
      programDirectory_(std::move(programDirectory)),
      router_(router),
      menus_(std::move(menus)) {}

void TAddOrChangeSort_Form::OpenForNewScheme(HWND owner) {
  Open(owner, kNewSchemeCaption, kNewSchemePrompt);
}

void TAddOrChangeSort_Form::OpenForPasteText(HWND owner) {
  Open(owner, kPasteTextCaption, kPasteTextPrompt);
}

void TAddOrChangeSort_Form::Open(HWND owner, const char* caption, const char* prompt) {
  caption_ = caption;
  prompt_ = prompt;
  if (ShowModal(owner) == -1)
    throw Error("无法显示对话框“" + caption_ + "”（" + std::to_string(GetLastError()) + "）");
}

bool TAddOrChangeSort_Form::OnInit() {
  SetText(hwnd(), caption_);
  SetItemText(IDC_INPUT_PROMPT, prompt_);
  SetItemText(IDC_INPUT_EDIT, "");
  FormShow();
  SetForegroundWindow(hwnd());
  SetFocus(Item(IDC_INPUT_EDIT));
  return false;
}

bool TAddOrChangeSort_Form::OnCommand(int id, int /*notifyCode*/) {
  return DispatchCommand(kCommands, *this, id);
}

void TAddOrChangeSort_Form::FormShow() {
  SetItemText(IDC_INPUT_MEMO, InputExplanationText(caption_));
}

void TAddOrChangeSort_Form::OK_BitBtnClick() {
  const std::string input = ItemText(IDC_INPUT_EDIT);
  if (caption_ == kNewSchemeCaption) {
    if (!CreateNamedScheme(platform(), programDirectory_, input, menus_)) return;
  } else if (caption_ == kPasteTextCaption) {
    const PasteTextChoice paste = PasteTextResult(input);
    router_.Deliver(paste.action, paste.remark);
  }
  EndModal(IDOK);
}

void TAddOrChangeSort_Form::C_BitBtnClick() {
  SetItemText(IDC_INPUT_EDIT, "");
  EndModal(IDCANCEL);
}

}  // namespace tav
