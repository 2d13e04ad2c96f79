// OperationChooserDialog, the operation chooser: a fixed tree of operations whose
// chosen leaf gives an action string; and FavouritesDialog, the favourites
// picker, which gives the address of one of the user's browser favourites.
// Both deliver through the insertion target: to the hotkey editor's target
// and remark fields, or into the script editor at the caret.
#pragma once

#include <string>
#include <vector>

#include "dialogs/model/Favourites.h"
#include "dialogs/model/InsertionTarget.h"
#include "platform/win32/Dialog.h"

namespace tav {

class InputDialog;

class FavouritesDialog : public Dialog {
 public:
  // The tree is read once, here, from the user's favourites folder.
  FavouritesDialog(Platform& platform, InsertionRouter& router);
  // Reads the tree from another folder (tests).
  void OnCreate(const std::string& folder);

  void OnOk();
  void OnCancel();
  void OnTreeClick();
  void OnTreeDoubleClick();

  // Selects the node at this path of captions; false when there is none.
  bool SelectPath(const std::vector<std::string>& captions);
  std::string StatusText() const;

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int notifyCode) override;
  bool OnNotify(const NMHDR& header, LRESULT& result) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  void AddNodes(HTREEITEM parent, const std::vector<FavouriteNode>& nodes);
  const FavouriteNode* SelectedNode() const;
  std::vector<std::string> SelectedPath() const;
  void Arrange();

  InsertionRouter& router_;
  std::vector<FavouriteNode> nodes_;
  // Tree items to nodes while the window exists.
  std::vector<std::pair<HTREEITEM, const FavouriteNode*>> items_;
  std::vector<std::string> selection_;  // kept from one opening to the next
};

class OperationChooserDialog : public Dialog {
 public:
  OperationChooserDialog(Platform& platform, InsertionRouter& router, FavouritesDialog& favourites,
                         InputDialog& input);

  void OnOk();
  void OnCancel();
  void OnTreeDoubleClick();

  // Selects the node at this path of captions; false when there is none.
  bool SelectPath(const std::vector<std::string>& captions);

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int notifyCode) override;
  bool OnNotify(const NMHDR& header, LRESULT& result) override;

 private:
  bool IsLeafSelected() const;
  std::vector<std::string> SelectedPath() const;

  InsertionRouter& router_;
  FavouritesDialog& favourites_;
  InputDialog& input_;
  std::vector<std::string> selection_;  // kept from one opening to the next
};

}  // namespace tav
