// InputDialog: the one-line input dialog. As "新建方案" it names
// a new scheme, which it creates in Data and opens; as "粘贴单行文本" it
// takes the text of a paste action for the insertion target.
#pragma once

#include <string>

#include "dialogs/model/InsertionTarget.h"
#include "dialogs/model/SchemeCreation.h"
#include "platform/win32/Dialog.h"

namespace tav {

class InputDialog : public Dialog {
 public:
  // `programDirectory` ends in a separator; `menus` is the main window's
  // side of a new scheme.
  InputDialog(Platform& platform, std::string programDirectory, InsertionRouter& router,
              SchemeMenuCallbacks menus);

  // The two openers: caption, prompt and an empty input, shown modally.
  void OpenForNewScheme(HWND owner);
  void OpenForPasteText(HWND owner);

  void OnShow();
  void OnOk();
  void OnCancel();

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int notifyCode) override;

 private:
  void Open(HWND owner, const char* caption, const char* prompt);

  std::string programDirectory_;
  InsertionRouter& router_;
  SchemeMenuCallbacks menus_;
  std::string caption_ = "添加类别";
  std::string prompt_ = "您要添加的类别";
};

}  // namespace tav
