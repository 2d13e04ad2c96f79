// SettingsDialog ("设置中心"): the access password, start at log-on, the
// clipboard setting and the category list, on two pages of one tab control.
// What it decides lives in dialogs/model/SettingsCentre.h; the window copies
// its controls into a SettingsForm and back. Nothing is stored before OK.
#pragma once

#include <functional>
#include <string>

#include "dialogs/model/SettingsCentre.h"
#include "platform/win32/Dialog.h"

namespace tav {

class SettingsDialog : public Dialog {
 public:
  // `autoRunMarked` sets the main menu's "开机自动运行" check mark after OK;
  // `showHelp` opens a topic of the help file for the dialog.
  using ShowHelp = std::function<void(HWND owner, const std::string& topic)>;
  SettingsDialog(Platform& platform, std::string programDirectory,
                 std::function<void(bool)> autoRunMarked, ShowHelp showHelp);

  // The page shown: 0 "基本设置", 1 "类别设置". The page shown last stays
  // active for the next opening.
  int page() const { return page_; }
  void SelectPage(int page);

  // Published handlers, also driven by the Win32 tests.
  void OnOk();
  void OnCancel();
  void OnHelp();
  void AddCategory();
  void DeleteCategory();

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int notifyCode) override;
  bool OnNotify(const NMHDR& header, LRESULT& result) override;

 private:
  void OnShow();
  void OnPasswordCheck();
  void OnCategoryClick();
  void OnCategoryEdit();
  void Close(INT_PTR result);
  std::vector<std::string> ListedCategories() const;
  void FillCategories(const std::vector<std::string>& categories);

  SettingsCentre centre_;
  std::function<void(bool)> autoRunMarked_;
  ShowHelp showHelp_;
  int page_ = 0;
  std::string sortEditText_;  // the category field keeps its text between openings
};

}  // namespace tav
