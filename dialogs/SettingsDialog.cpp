#include "dialogs/SettingsDialog.h"

#include <commctrl.h>

#include <iterator>

#include "platform/win32/Commands.h"
#include "platform/win32/Controls.h"
#include "platform/win32/Wide.h"
#include "res/resource.h"

namespace tav {

namespace {

constexpr const char* kPageTitles[] = {"基本设置", "类别设置"};
constexpr const char* kHelpTopics[] = {"SettingCenter.htm#基本设置", "SettingCenter.htm#类别设置"};
constexpr const char* kHelpHint = "不会用？点这里";

constexpr int kBasePage[] = {
    IDC_SET_PASSWORD_GROUP, IDC_SET_CHANGE_PASSWORD,   IDC_SET_OLD_LABEL,
    IDC_SET_OLD_PASSWORD,   IDC_SET_NEW_LABEL,         IDC_SET_NEW_PASSWORD,
    IDC_SET_CHECK_LABEL,    IDC_SET_CHECK_PASSWORD,    IDC_SET_RUN_GROUP,
    IDC_SET_AUTORUN,        IDC_SET_RESTORE_CLIPBOARD, IDC_SET_QUIET_FULL_SCREEN,
};
constexpr int kSortPage[] = {IDC_SET_SORT_LIST, IDC_SET_SORT_EDIT, IDC_SET_SORT_ADD,
                             IDC_SET_SORT_DELETE};
constexpr int kPasswordEdits[] = {IDC_SET_OLD_PASSWORD, IDC_SET_NEW_PASSWORD,
                                  IDC_SET_CHECK_PASSWORD};

bool Checked(HWND button) {
  return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetChecked(HWND button, bool checked) {
  SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace

SettingsDialog::SettingsDialog(Platform& platform, std::string programDirectory,
                               std::function<void(bool)> autoRunMarked, ShowHelp showHelp)
    : Dialog(platform, IDD_SETTING),
      centre_(platform, std::move(programDirectory)),
      autoRunMarked_(std::move(autoRunMarked)),
      showHelp_(std::move(showHelp)) {}

bool SettingsDialog::OnInit() {
  HWND tabs = Item(IDC_SET_PAGES);
  for (int i = 0; i < static_cast<int>(std::size(kPageTitles)); ++i) {
    std::wstring title = Widen(kPageTitles[i]);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = title.data();
    SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  // The hint of the help button; the tooltip goes with the dialog.
  HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(),
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  if (tip) {
    std::wstring hint = Widen(kHelpHint);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd();
    tool.uId = reinterpret_cast<UINT_PTR>(Item(IDC_SET_HELP));
    tool.lpszText = hint.data();
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  // The password style of common controls 6 shows a dot; these fields show '*'.
  for (int id : kPasswordEdits) SendMessageW(Item(id), EM_SETPASSWORDCHAR, L'*', 0);
  SetItemText(IDC_SET_SORT_EDIT, sortEditText_);
  OnShow();
  SelectPage(page_);
  return true;
}

void SettingsDialog::OnShow() {
  const SettingsForm form = centre_.Load();
  SetChecked(Item(IDC_SET_AUTORUN), form.autoRun);
  SetChecked(Item(IDC_SET_RESTORE_CLIPBOARD), form.restoreClipboard);
  SetChecked(Item(IDC_SET_QUIET_FULL_SCREEN), form.quietInFullScreen);
  SetChecked(Item(IDC_SET_CHANGE_PASSWORD), false);
  for (int id : kPasswordEdits) SetItemText(id, "");
  OnPasswordCheck();
  FillCategories(form.categories);
  OnCategoryEdit();
}

void SettingsDialog::SelectPage(int page) {
  page_ = page;
  SendMessageW(Item(IDC_SET_PAGES), TCM_SETCURSEL, page, 0);
  for (int id : kBasePage) ShowWindow(Item(id), page == 0 ? SW_SHOW : SW_HIDE);
  for (int id : kSortPage) ShowWindow(Item(id), page == 1 ? SW_SHOW : SW_HIDE);
}

bool SettingsDialog::OnCommand(int id, int notifyCode) {
  switch (id) {
    case IDOK:
      // Enter in the category edit adds the category rather than closing.
      if (GetFocus() == Item(IDC_SET_SORT_EDIT)) {
        AddCategory();
      } else {
        OnOk();
      }
      return true;
    case IDC_SET_CHANGE_PASSWORD:
      if (notifyCode == BN_CLICKED) OnPasswordCheck();
      return true;
    case IDC_SET_SORT_LIST:
      if (notifyCode == LBN_SELCHANGE || notifyCode == LBN_SELCANCEL) OnCategoryClick();
      return true;
    case IDC_SET_SORT_EDIT:
      if (notifyCode == EN_CHANGE) OnCategoryEdit();
      return true;
    default:
      break;
  }
  static constexpr Command<SettingsDialog> kCommands[] = {
      {IDCANCEL, &SettingsDialog::OnCancel},
      {IDC_SET_HELP, &SettingsDialog::OnHelp},
      {IDC_SET_SORT_ADD, &SettingsDialog::AddCategory},
      {IDC_SET_SORT_DELETE, &SettingsDialog::DeleteCategory},
  };
  return DispatchCommand(kCommands, *this, id);
}

bool SettingsDialog::OnNotify(const NMHDR& header, LRESULT& result) {
  if (header.idFrom == IDC_SET_PAGES && header.code == TCN_SELCHANGE) {
    SelectPage(static_cast<int>(SendMessageW(header.hwndFrom, TCM_GETCURSEL, 0, 0)));
    result = 0;
    return true;
  }
  return false;
}

void SettingsDialog::OnPasswordCheck() {
  // A disabled edit shows the dialog colour, an enabled one the window colour.
  const bool on = Checked(Item(IDC_SET_CHANGE_PASSWORD));
  for (int id : kPasswordEdits) EnableWindow(Item(id), on);
}

void SettingsDialog::OnOk() {
  SettingsForm form;
  form.autoRun = Checked(Item(IDC_SET_AUTORUN));
  form.restoreClipboard = Checked(Item(IDC_SET_RESTORE_CLIPBOARD));
  form.quietInFullScreen = Checked(Item(IDC_SET_QUIET_FULL_SCREEN));
  form.changePassword = Checked(Item(IDC_SET_CHANGE_PASSWORD));
  form.oldPassword = ItemText(IDC_SET_OLD_PASSWORD);
  form.newPassword = ItemText(IDC_SET_NEW_PASSWORD);
  form.confirmPassword = ItemText(IDC_SET_CHECK_PASSWORD);
  form.categories = ListedCategories();
  if (!centre_.Confirm(form, autoRunMarked_)) return;
  Close(IDOK);
}

void SettingsDialog::OnCancel() {
  Close(IDCANCEL);
}

void SettingsDialog::Close(INT_PTR result) {
  sortEditText_ = ItemText(IDC_SET_SORT_EDIT);
  EndModal(result);
}

void SettingsDialog::OnHelp() {
  if (showHelp_) showHelp_(hwnd(), kHelpTopics[page_ == 1 ? 1 : 0]);
}

void SettingsDialog::OnCategoryEdit() {
  EnableWindow(Item(IDC_SET_SORT_ADD), SettingsCentre::CanAddCategory(ItemText(IDC_SET_SORT_EDIT)));
}

void SettingsDialog::AddCategory() {
  std::vector<std::string> categories = ListedCategories();
  if (!centre_.AddCategory(categories, ItemText(IDC_SET_SORT_EDIT))) return;
  FillCategories(categories);
  SetItemText(IDC_SET_SORT_EDIT, "");
  OnCategoryEdit();
}

void SettingsDialog::OnCategoryClick() {
  const LRESULT selected = SendMessageW(Item(IDC_SET_SORT_LIST), LB_GETCURSEL, 0, 0);
  EnableWindow(Item(IDC_SET_SORT_DELETE), selected != LB_ERR);
}

void SettingsDialog::DeleteCategory() {
  HWND list = Item(IDC_SET_SORT_LIST);
  const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (selected != LB_ERR) SendMessageW(list, LB_DELETESTRING, selected, 0);
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  OnCategoryClick();
}

std::vector<std::string> SettingsDialog::ListedCategories() const {
  HWND list = Item(IDC_SET_SORT_LIST);
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  std::vector<std::string> categories;
  for (int i = 0; i < count; ++i) categories.push_back(ListBoxItemText(list, i));
  return categories;
}

void SettingsDialog::FillCategories(const std::vector<std::string>& categories) {
  HWND list = Item(IDC_SET_SORT_LIST);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const std::string& category : categories) AddListBoxItem(list, category);
  OnCategoryClick();
}

}  // namespace tav
