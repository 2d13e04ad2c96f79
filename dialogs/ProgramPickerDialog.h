// ProgramPickerDialog: the hotkey editor's "选择程序…". Lists the programs
// that have visible windows, each with its window's icon (or its
// executable's), its executable and the window's title, with a check box
// per row; OK answers the checked executables.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/Dialog.h"
#include "platform/win32/WindowPrograms.h"

namespace tav {

class ProgramPickerDialog : public Dialog {
 public:
  static constexpr const char* kCaption = "选择程序";

  explicit ProgramPickerDialog(Platform& platform);

  // Shows `programs` modally; answers the executables checked when OK was
  // pressed, in the list's order, and nothing when cancelled.
  std::vector<std::string> Pick(HWND owner, std::vector<WindowProgram> programs);

  void OnOk();

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int notifyCode) override;

 private:
  void FillList();

  std::vector<WindowProgram> programs_;
  std::vector<std::string> picked_;
};

}  // namespace tav
