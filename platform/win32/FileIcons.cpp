#include "platform/win32/FileIcons.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "platform/win32/WinHandles.h"

namespace tav {

namespace {

// Indexes of the shell's own icons in shell32.dll, the same on every
// version: a document of no known type, a program without icon, a folder.
constexpr int kGenericDocumentIcon = 0;
constexpr int kGenericProgramIcon = 2;
constexpr int kFolderIcon = 3;

std::wstring Shell32Path() {
  wchar_t system[MAX_PATH];
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return L"shell32.dll";
  return std::wstring(system, length) + L"\\shell32.dll";
}

std::wstring ExpandEnvironment(const std::wstring& text) {
  const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
  if (needed == 0) return text;
  std::wstring expanded(needed, L'\0');
  const DWORD written = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), needed);
  if (written == 0 || written > needed) return text;
  expanded.resize(written - 1);
  return expanded;
}

// The full path of an existing file or folder; a bare file name is also
// looked for along the search path, with ".exe" added when it has no
// extension of its own.
std::optional<std::wstring> ExistingPath(const std::wstring& path) {
  if (path.empty() || path.size() >= MAX_PATH) return std::nullopt;
  if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
    wchar_t full[MAX_PATH];
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::wstring(full, length) : path;
  }
  if (path.find_first_of(L"\\/:") != std::wstring::npos) return std::nullopt;
  wchar_t found[MAX_PATH];
  const DWORD length = SearchPathW(nullptr, path.c_str(), L".exe", MAX_PATH, found, nullptr);
  if (length == 0 || length >= MAX_PATH) return std::nullopt;
  return std::wstring(found, length);
}

std::wstring ExtensionOf(const std::wstring& path) {
  const wchar_t* extension = PathFindExtensionW(path.c_str());
  return extension ? extension : L"";
}

bool HasExtension(const std::wstring& path, const wchar_t* extension) {
  return lstrcmpiW(ExtensionOf(path).c_str(), extension) == 0;
}

// The file a shortcut points to, or empty.
std::wstring ShortcutTarget(const std::wstring& shortcut) {
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link)))) {
    return {};
  }
  std::wstring target;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    wchar_t path[MAX_PATH] = L"";
    if (SUCCEEDED(file->Load(shortcut.c_str(), STGM_READ)) &&
        SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, 0))) {
      target = path;
    }
    file->Release();
  }
  link->Release();
  return target;
}

// The DefaultIcon of a file type ("file,index", or "%1" for the file itself).
std::optional<IconLocation> RegisteredIcon(const std::wstring& extension,
                                           const std::wstring& file) {
  if (extension.empty()) return std::nullopt;
  wchar_t value[MAX_PATH + 16];
  DWORD length = MAX_PATH + 16;
  if (FAILED(AssocQueryStringW(ASSOCF_NOTRUNCATE, ASSOCSTR_DEFAULTICON, extension.c_str(), nullptr,
                               value, &length))) {
    return std::nullopt;
  }
  if (lstrcmpW(value, L"%1") == 0 || lstrcmpW(value, L"\"%1\"") == 0) return IconLocation{file, 0};
  // Splits "file,index" in place: the buffer keeps the file.
  const int index = PathParseIconLocationW(value);
  const std::wstring iconFile = ExpandEnvironment(value);
  if (iconFile.empty() || iconFile.find(L'%') != std::wstring::npos) return std::nullopt;
  return IconLocation{iconFile, index};
}

std::optional<IconLocation> LocationOfExistingPath(const std::wstring& path, int shortcutsLeft) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return IconLocation{Shell32Path(), kFolderIcon};
  }
  if (HasExtension(path, L".exe") || HasExtension(path, L".ico") || HasExtension(path, L".dll") ||
      HasExtension(path, L".cpl")) {
    return IconLocation{path, 0};
  }
  if (HasExtension(path, L".lnk") && shortcutsLeft > 0) {
    const std::wstring target = ShortcutTarget(path);
    if (const auto resolved = target.empty() ? std::nullopt : ExistingPath(target)) {
      return LocationOfExistingPath(*resolved, shortcutsLeft - 1);
    }
  }
  if (auto registered = RegisteredIcon(ExtensionOf(path), path)) return registered;
  return IconLocation{Shell32Path(), kGenericDocumentIcon};
}

std::wstring LowerCase(std::wstring text) {
  if (!text.empty()) CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

UniqueIcon ExtractSmallIcon(const IconLocation& location, int size) {
  HICON icon = nullptr;
  const UINT sizes = MAKELONG(size, size);
  if (SHDefExtractIconW(location.file.c_str(), location.index, 0, &icon, nullptr, sizes) != S_OK) {
    return UniqueIcon();
  }
  return UniqueIcon(icon);
}

}  // namespace

std::optional<IconLocation> IconLocationOf(const std::wstring& target) {
  // Addresses ("http://", "mailto:") and built-in operations have no file.
  if (target.find(L"://") != std::wstring::npos) return std::nullopt;
  const auto path = ExistingPath(ExpandEnvironment(target));
  if (!path) return std::nullopt;
  return LocationOfExistingPath(*path, /*shortcutsLeft=*/1);
}

int TargetIcons::ImageFor(const std::wstring& target) {
  const auto location = IconLocationOf(target);
  if (!location) return -1;
  const std::wstring key = LowerCase(location->file) + L"," + std::to_wstring(location->index);
  const auto known = imageByLocation_.find(key);
  if (known != imageByLocation_.end()) return known->second;
  UniqueIcon icon = ExtractSmallIcon(*location, size_);
  if (!icon && location->file != Shell32Path()) {
    // A program without icons of its own shows the generic program icon.
    icon = ExtractSmallIcon(
        {Shell32Path(),
         HasExtension(location->file, L".exe") ? kGenericProgramIcon : kGenericDocumentIcon},
        size_);
  }
  const int image = icon ? ImageList_AddIcon(images_, icon.get()) : -1;
  imageByLocation_.emplace(key, image);
  return image;
}

}  // namespace tav
