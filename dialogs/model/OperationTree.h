// The operation chooser's fixed tree and what each leaf gives: an action
// string for the target field, or one of two pickers that deliver their own
// result. Also the tree path used as the remark.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace tav {

// One node of the tree, in display order; `depth` 0 is a top-level folder.
struct OperationNode {
  int depth;
  const char* caption;
  bool isFolder;
};

// The whole tree, depth-first in display order.
std::span<const OperationNode> OperationNodes();

// What choosing a leaf does.
struct LeafChoice {
  enum class Kind {
    kAction,            // `action` goes to the insertion target
    kFavouritesPicker,  // the favourites picker opens and delivers the address
    kPasteTextInput,    // the paste-text input opens and delivers the paste action
  };
  Kind kind = Kind::kAction;
  std::string action;

  bool operator==(const LeafChoice&) const = default;
};

// The choice of the leaf with this caption: the fixed result of the leaves
// that name a program or an address prefix, the two pickers, and for any
// other leaf (the built-in operations) its caption itself.
LeafChoice ActionForLeaf(const std::string& caption);

// Captions from the top-level node down to the chosen one, joined by "->".
std::string TreePath(const std::vector<std::string>& captions);

}  // namespace tav
