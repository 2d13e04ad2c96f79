#include "dialogs/ProgramPickerDialog.h"

#include "platform/win32/WinApi.h"

#include <commctrl.h>

#include "platform/win32/Commands.h"
#include "platform/win32/Controls.h"
#include "platform/win32/Dpi.h"
#include "platform/win32/FileIcons.h"
#include "platform/win32/Wide.h"
#include "res/resource.h"

namespace tav {

namespace {

constexpr Command<ProgramPickerDialog> kCommands[] = {
    {IDOK, &ProgramPickerDialog::OnOk},
};

constexpr const char* kNoPrograms = "（没有可见的程序窗口）";

// The executable column's share of the list's width, in percent.
constexpr int kProgramColumnShare = 38;

}  // namespace

ProgramPickerDialog::ProgramPickerDialog(Platform& platform)
    : Dialog(platform, IDD_PROGRAM_PICKER) {}

std::vector<std::string> ProgramPickerDialog::Pick(HWND owner,
                                                   std::vector<WindowProgram> programs) {
  programs_ = std::move(programs);
  picked_.clear();
  ShowModal(owner);
  programs_.clear();
  return std::move(picked_);
}

bool ProgramPickerDialog::OnInit() {
  HWND list = Item(IDC_PICKER_LIST);
  ListView_SetExtendedListViewStyle(list,
                                    LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
  // The template's dialog units have followed the font and the DPI: the
  // columns share the list's width.
  RECT client{};
  GetClientRect(list, &client);
  const int width = client.right - SystemMetricForDpi(SM_CXVSCROLL, DpiForWindow(hwnd()));
  const int programWidth = width * kProgramColumnShare / 100;
  InsertListColumn(list, 0, "程序", programWidth);
  InsertListColumn(list, 1, "窗口标题", width - programWidth);
  FillList();
  return true;
}

void ProgramPickerDialog::FillList() {
  HWND list = Item(IDC_PICKER_LIST);
  const int size = SystemMetricForDpi(SM_CXSMICON, DpiForWindow(hwnd()));
  // The list owns its image list and destroys it with itself.
  HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 8, 8);
  ListView_SetImageList(list, images, LVSIL_SMALL);
  TargetIcons executableIcons(images, size);
  for (size_t i = 0; i < programs_.size(); ++i) {
    const WindowProgram& program = programs_[i];
    const int row = InsertListRow(list, static_cast<int>(i), {program.executable, program.title},
                                  static_cast<LPARAM>(i));
    int image = -1;
    if (HICON icon = program.window ? WindowSmallIcon(program.window) : nullptr)
      image = ImageList_AddIcon(images, icon);  // a copy: the window keeps its own
    if (image < 0 && !program.path.empty()) image = executableIcons.ImageFor(Widen(program.path));
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = image < 0 ? I_IMAGENONE : image;
    ListView_SetItem(list, &item);
  }
  if (programs_.empty()) {
    InsertListRow(list, 0, {kNoPrograms, ""});
    EnableWindow(list, FALSE);  // nothing to check
  }
  // The keyboard starts on the first row; nothing looks chosen but the checks.
  if (!programs_.empty()) ListView_SetItemState(list, 0, LVIS_FOCUSED, LVIS_FOCUSED);
}

void ProgramPickerDialog::OnOk() {
  HWND list = Item(IDC_PICKER_LIST);
  picked_.clear();
  for (int row = 0; row < ListView_GetItemCount(list); ++row) {
    if (ListView_GetCheckState(list, row)) picked_.push_back(ListItemText(list, row, 0));
  }
  EndModal(IDOK);
}

bool ProgramPickerDialog::OnCommand(int id, int) {
  return DispatchCommand(kCommands, *this, id);
}

}  // namespace tav
