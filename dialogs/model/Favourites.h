// The favourites picker's tree: the user's browser favourites folder walked
// into folder nodes and link nodes, each link holding the address of its
// Internet shortcut file.
#pragma once

#include <string>
#include <vector>

#include "platform/Platform.h"

namespace tav {

struct FavouriteNode {
  std::string caption;
  bool isFolder = false;
  std::string address;  // links only: the shortcut's URL, empty when it has none
  std::vector<FavouriteNode> children;

  bool operator==(const FavouriteNode&) const = default;
};

// Folders below this depth are not walked, so a folder that links back to
// an ancestor cannot recurse without end.
inline constexpr int kMaxFavouritesDepth = 32;

// The nodes for the entries of `folder`: its subfolders first, each with its
// own entries below it, then its files as links, each group in listing
// order. Names holding ".lnk" or ".ini" are left out; the first ".url" is
// cut from a link's caption; its address is key "URL" of section
// "InternetShortcut" of the file.
std::vector<FavouriteNode> ReadFavourites(Platform& platform, const std::string& folder);

// The favourites folder: the "Favorites" value of the user's shell folders,
// or when that is absent, empty or a drive's root the user's known
// Favorites folder. The
// empty text when neither names a folder; never the root of a drive.
std::string FavouritesFolder(Platform& platform);

// Whether a path names the root of a drive or of the current drive
// ("C:\", "C:", "\", or the empty path).
bool IsDriveRoot(const std::string& path);

}  // namespace tav
