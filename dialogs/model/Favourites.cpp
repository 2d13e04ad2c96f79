#include "dialogs/model/Favourites.h"

#include "base/FileSystem.h"
#include "storage/IniFile.h"

namespace tav {

namespace {

bool IsSkipped(const std::string& name) {
  return name.find(".lnk") != std::string::npos || name.find(".ini") != std::string::npos;
}

std::string LinkCaption(std::string name) {
  if (const size_t at = name.find(".url"); at != std::string::npos) name.erase(at, 4);
  return name;
}

void AddFolder(Platform& platform, const std::string& folder, int depth,
               std::vector<FavouriteNode>& nodes) {
  const std::vector<DirectoryEntry> entries = platform.ListDirectory(folder);
  for (const DirectoryEntry& entry : entries) {
    if (!entry.isDirectory || IsSkipped(entry.name)) continue;
    FavouriteNode node{entry.name, true, {}, {}};
    if (depth < kMaxFavouritesDepth)
      AddFolder(platform, JoinPath(folder, entry.name), depth + 1, node.children);
    nodes.push_back(std::move(node));
  }
  for (const DirectoryEntry& entry : entries) {
    if (entry.isDirectory || IsSkipped(entry.name)) continue;
    const IniFile shortcut(JoinPath(folder, entry.name));
    nodes.push_back(
        {LinkCaption(entry.name), false, shortcut.ReadString("InternetShortcut", "URL"), {}});
  }
}

}  // namespace

std::vector<FavouriteNode> ReadFavourites(Platform& platform, const std::string& folder) {
  std::vector<FavouriteNode> nodes;
  if (!IsDriveRoot(folder)) AddFolder(platform, folder, 0, nodes);
  return nodes;
}

std::string FavouritesFolder(Platform& platform) {
  std::string folder = platform.ReadShellFolderValue("Favorites");
  if (IsDriveRoot(folder)) folder = platform.KnownFavoritesFolder();
  return IsDriveRoot(folder) ? std::string() : folder;
}

bool IsDriveRoot(const std::string& path) {
  std::string trimmed = path;
  while (!trimmed.empty() && (trimmed.back() == '\\' || trimmed.back() == '/')) trimmed.pop_back();
  return trimmed.empty() || (trimmed.size() == 2 && trimmed[1] == ':');
}

}  // namespace tav
