#include "dialogs/OperationChooserDialog.h"

#include "base/Version.h"
#include "dialogs/DisabledWindow.h"
#include "dialogs/InputDialog.h"
#include "dialogs/model/OperationTree.h"
#include "platform/win32/Commands.h"
#include "platform/win32/Controls.h"
#include "platform/win32/Wide.h"
#include "res/resource.h"

namespace tav {

namespace {

// Icons of the system's small image list for a folder, an open folder and a
// document, looked up by kind rather than by an existing file.
struct TreeIcons {
  HIMAGELIST list = nullptr;
  int folder = 0;
  int openFolder = 0;
  int leaf = 0;
};

TreeIcons SystemTreeIcons(const wchar_t* leafExtension) {
  TreeIcons icons;
  SHFILEINFOW info{};
  const UINT flags = SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES;
  icons.list = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info, flags));
  icons.folder = info.iIcon;
  SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info, flags | SHGFI_OPENICON);
  icons.openFolder = info.iIcon;
  SHGetFileInfoW(leafExtension, FILE_ATTRIBUTE_NORMAL, &info, sizeof info, flags);
  icons.leaf = info.iIcon;
  return icons;
}

HTREEITEM InsertTreeItem(HWND tree, HTREEITEM parent, const std::string& caption, bool isFolder,
                         const TreeIcons& icons, LPARAM data = 0) {
  std::wstring text = Widen(caption);
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  insert.item.pszText = text.data();
  insert.item.iImage = isFolder ? icons.folder : icons.leaf;
  insert.item.iSelectedImage = isFolder ? icons.openFolder : icons.leaf;
  insert.item.lParam = data;
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

std::string TreeItemText(HWND tree, HTREEITEM item) {
  wchar_t buffer[512] = {};
  TVITEMW data{};
  data.mask = TVIF_TEXT;
  data.hItem = item;
  data.pszText = buffer;
  data.cchTextMax = static_cast<int>(std::size(buffer));
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
  return Narrow(buffer);
}

HTREEITEM SelectedTreeItem(HWND tree) {
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

// Captions from the top-level item down to `item`.
std::vector<std::string> TreeItemPath(HWND tree, HTREEITEM item) {
  std::vector<std::string> path;
  for (; item; item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_PARENT,
                                                               reinterpret_cast<LPARAM>(item)))) {
    path.insert(path.begin(), TreeItemText(tree, item));
  }
  return path;
}

// Finds and selects the item at the path of captions; false when none.
bool SelectTreePath(HWND tree, const std::vector<std::string>& captions) {
  HTREEITEM item = nullptr;
  HTREEITEM child = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  for (const std::string& caption : captions) {
    while (child && TreeItemText(tree, child) != caption) {
      child = reinterpret_cast<HTREEITEM>(
          SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)));
    }
    if (!child) return false;
    item = child;
    child = reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
  }
  if (!item) return false;
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
  return true;
}

void ShowInformation(Platform& platform, HWND dialog, const char* text) {
  const DisabledWindow asking(dialog);
  platform.MessageBox(text, kApplicationTitle, mb::kOk | mb::kIconInformation);
}

constexpr Command<OperationChooserDialog> kChooserCommands[] = {
    {IDOK, &OperationChooserDialog::OnOk},
    {IDCANCEL, &OperationChooserDialog::OnCancel},
};

constexpr Command<FavouritesDialog> kFavouritesCommands[] = {
    {IDOK, &FavouritesDialog::OnOk},
    {IDCANCEL, &FavouritesDialog::OnCancel},
};

}  // namespace

// --- OperationChooserDialog ------------------------------------------------------------

OperationChooserDialog::OperationChooserDialog(Platform& platform, InsertionRouter& router,
                                               FavouritesDialog& favourites, InputDialog& input)
    : Dialog(platform, IDD_OPERATION_CHOOSER),
      router_(router),
      favourites_(favourites),
      input_(input) {}

bool OperationChooserDialog::OnInit() {
  HWND tree = Item(IDC_CHOOSER_TREE);
  const TreeIcons icons = SystemTreeIcons(L"x.exe");
  SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(icons.list));
  std::vector<HTREEITEM> parents;  // the last item of each depth
  for (const OperationNode& node : OperationNodes()) {
    parents.resize(static_cast<size_t>(node.depth));
    HTREEITEM parent = parents.empty() ? TVI_ROOT : parents.back();
    parents.push_back(InsertTreeItem(tree, parent, node.caption, node.isFolder, icons));
  }
  if (!selection_.empty()) SelectTreePath(tree, selection_);
  SetForegroundWindow(hwnd());
  SetFocus(tree);
  return false;
}

bool OperationChooserDialog::OnCommand(int id, int /*notifyCode*/) {
  return DispatchCommand(kChooserCommands, *this, id);
}

bool OperationChooserDialog::OnNotify(const NMHDR& header, LRESULT& result) {
  if (header.idFrom != IDC_CHOOSER_TREE) return false;
  if (header.code == TVN_SELCHANGEDW) {
    selection_ = SelectedPath();
  } else if (header.code == NM_DBLCLK && IsLeafSelected()) {
    OnTreeDoubleClick();
    result = TRUE;
    return true;
  }
  return false;
}

bool OperationChooserDialog::SelectPath(const std::vector<std::string>& captions) {
  return SelectTreePath(Item(IDC_CHOOSER_TREE), captions);
}

std::vector<std::string> OperationChooserDialog::SelectedPath() const {
  HWND tree = Item(IDC_CHOOSER_TREE);
  return TreeItemPath(tree, SelectedTreeItem(tree));
}

bool OperationChooserDialog::IsLeafSelected() const {
  HWND tree = Item(IDC_CHOOSER_TREE);
  HTREEITEM item = SelectedTreeItem(tree);
  return item && !SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item));
}

void OperationChooserDialog::OnOk() {
  if (!IsLeafSelected()) {
    ShowInformation(platform(), hwnd(), "请选选择正确的项目");
    return;
  }
  const std::vector<std::string> path = SelectedPath();
  const LeafChoice choice = ActionForLeaf(path.back());
  switch (choice.kind) {
    case LeafChoice::Kind::kAction:
      router_.Deliver(choice.action, TreePath(path));
      break;
    case LeafChoice::Kind::kFavouritesPicker:
      favourites_.ShowModal(hwnd());
      break;
    case LeafChoice::Kind::kPasteTextInput:
      input_.OpenForPasteText(hwnd());
      break;
  }
  EndModal(IDOK);
}

void OperationChooserDialog::OnCancel() {
  EndModal(IDCANCEL);
}

void OperationChooserDialog::OnTreeDoubleClick() {
  if (IsLeafSelected()) OnOk();
}

// --- FavouritesDialog ---------------------------------------------------------

FavouritesDialog::FavouritesDialog(Platform& platform, InsertionRouter& router)
    : Dialog(platform, IDD_FAVOURITES), router_(router) {
  OnCreate(FavouritesFolder(platform));
}

void FavouritesDialog::OnCreate(const std::string& folder) {
  nodes_ = ReadFavourites(platform(), folder);
  selection_.clear();
  if (!nodes_.empty()) selection_ = {nodes_.front().caption};
}

bool FavouritesDialog::OnInit() {
  HWND tree = Item(IDC_FAVOURITES_TREE);
  const TreeIcons icons = SystemTreeIcons(L"x.url");
  SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(icons.list));
  items_.clear();
  struct Adder {
    HWND tree;
    const TreeIcons& icons;
    std::vector<std::pair<HTREEITEM, const FavouriteNode*>>& items;
    void Add(HTREEITEM parent, const std::vector<FavouriteNode>& nodes) {
      for (const FavouriteNode& node : nodes) {
        HTREEITEM item = InsertTreeItem(tree, parent, node.caption, node.isFolder, icons);
        items.emplace_back(item, &node);
        Add(item, node.children);
      }
    }
  };
  Adder{tree, icons, items_}.Add(TVI_ROOT, nodes_);
  if (!selection_.empty()) SelectTreePath(tree, selection_);
  Arrange();
  OnTreeClick();
  SetForegroundWindow(hwnd());
  SetFocus(tree);
  return false;
}

bool FavouritesDialog::OnCommand(int id, int /*notifyCode*/) {
  return DispatchCommand(kFavouritesCommands, *this, id);
}

bool FavouritesDialog::OnNotify(const NMHDR& header, LRESULT& result) {
  if (header.idFrom != IDC_FAVOURITES_TREE) return false;
  if (header.code == TVN_SELCHANGEDW) {
    selection_ = SelectedPath();
    OnTreeClick();
  } else if (header.code == NM_DBLCLK) {
    const FavouriteNode* node = SelectedNode();
    if (node && !node->isFolder) {
      OnTreeDoubleClick();
      result = TRUE;
      return true;
    }
  }
  return false;
}

bool FavouritesDialog::OnMessage(UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/,
                                 INT_PTR& /*result*/) {
  if (message == WM_SIZE) Arrange();
  return false;
}

// The tree fills the dialog above the buttons, which keep to the bottom
// right above the status bar.
void FavouritesDialog::Arrange() {
  HWND status = Item(IDC_FAVOURITES_STATUS);
  if (!status) return;
  SendMessageW(status, WM_SIZE, 0, 0);
  RECT client{};
  RECT bar{};
  RECT button{};
  GetClientRect(hwnd(), &client);
  GetWindowRect(status, &bar);
  GetWindowRect(Item(IDOK), &button);
  const int barHeight = bar.bottom - bar.top;
  const int buttonWidth = button.right - button.left;
  const int buttonHeight = button.bottom - button.top;
  RECT margins{6, 6, 0, 0};
  MapDialogRect(hwnd(), &margins);
  const int gap = margins.left;
  const int buttonTop = client.bottom - barHeight - gap - buttonHeight;
  MoveWindow(Item(IDC_FAVOURITES_TREE), gap, gap, client.right - 2 * gap, buttonTop - 2 * gap,
             TRUE);
  MoveWindow(Item(IDCANCEL), client.right - gap - buttonWidth, buttonTop, buttonWidth, buttonHeight,
             TRUE);
  MoveWindow(Item(IDOK), client.right - 2 * (gap + buttonWidth), buttonTop, buttonWidth,
             buttonHeight, TRUE);
}

const FavouriteNode* FavouritesDialog::SelectedNode() const {
  HTREEITEM item = SelectedTreeItem(Item(IDC_FAVOURITES_TREE));
  for (const auto& [treeItem, node] : items_) {
    if (treeItem == item) return node;
  }
  return nullptr;
}

std::vector<std::string> FavouritesDialog::SelectedPath() const {
  HWND tree = Item(IDC_FAVOURITES_TREE);
  return TreeItemPath(tree, SelectedTreeItem(tree));
}

bool FavouritesDialog::SelectPath(const std::vector<std::string>& captions) {
  return SelectTreePath(Item(IDC_FAVOURITES_TREE), captions);
}

std::string FavouritesDialog::StatusText() const {
  return TextOf(Item(IDC_FAVOURITES_STATUS));
}

void FavouritesDialog::OnOk() {
  const FavouriteNode* node = SelectedNode();
  if (!node || node->isFolder) {
    ShowInformation(platform(), hwnd(), "您还没有选择网址啊:-)");
    return;
  }
  router_.Deliver(node->address, TreePath(SelectedPath()));
  EndModal(IDOK);
}

void FavouritesDialog::OnCancel() {
  EndModal(IDCANCEL);
}

void FavouritesDialog::OnTreeClick() {
  const FavouriteNode* node = SelectedNode();
  SetText(Item(IDC_FAVOURITES_STATUS),
          node ? (node->isFolder ? node->caption : node->address) : "");
}

void FavouritesDialog::OnTreeDoubleClick() {
  const FavouriteNode* node = SelectedNode();
  if (node && !node->isFolder) OnOk();
}

}  // namespace tav
