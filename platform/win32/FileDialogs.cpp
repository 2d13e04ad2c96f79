#include "platform/win32/FileDialogs.h"

namespace tav {

namespace {

using FileDialogFunction = BOOL(WINAPI*)(OPENFILENAMEW*);

// The function `name` of comdlg32.dll, loaded once and kept for the run.
FileDialogFunction CommonDialogFunction(const char* name) {
  static const HMODULE library = LoadLibraryW(L"comdlg32.dll");
  if (!library) return nullptr;
  return reinterpret_cast<FileDialogFunction>(
      reinterpret_cast<void*>(GetProcAddress(library, name)));
}

}  // namespace

bool RunOpenFileDialog(OPENFILENAMEW& dialog) {
  static const FileDialogFunction open = CommonDialogFunction("GetOpenFileNameW");
  return open && open(&dialog);
}

bool RunSaveFileDialog(OPENFILENAMEW& dialog) {
  static const FileDialogFunction save = CommonDialogFunction("GetSaveFileNameW");
  return save && save(&dialog);
}

}  // namespace tav
