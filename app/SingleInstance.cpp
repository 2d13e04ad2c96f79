#include "app/SingleInstance.h"

#include "actions/Md5.h"
#include "app/MainWindow.h"
#include "platform/win32/Wide.h"

namespace tav {

namespace {

// The folder's full path, lower-cased (the file system ignores case), as
// hexadecimal digest: a name the session's kernel objects can carry whatever
// characters or length the path has.
std::wstring FolderKey(const std::string& programDirectory) {
  std::wstring path = Widen(programDirectory);
  if (!path.empty()) CharLowerBuffW(path.data(), static_cast<DWORD>(path.size()));
  const Md5Digest digest = Md5Of(Narrow(path));
  static constexpr wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring key;
  for (const uint8_t byte : digest) {
    key += kDigits[byte >> 4];
    key += kDigits[byte & 0xF];
  }
  return key;
}

}  // namespace

UINT ShowRunningCopyMessage(const std::string& programDirectory) {
  return RegisterWindowMessageW(
      (L"Tavrelin.ShowMainWindow." + FolderKey(programDirectory)).c_str());
}

SingleInstance::SingleInstance(const std::string& programDirectory)
    : programDirectory_(programDirectory) {
  // Local: one copy per folder in each log-on session, so that two users of
  // one machine each run their own.
  const std::wstring name = L"Local\\Tavrelin." + FolderKey(programDirectory);
  HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
  anotherRuns_ = mutex && GetLastError() == ERROR_ALREADY_EXISTS;
  mutex_.reset(mutex);
}

void SingleInstance::ShowRunningCopy() const {
  const UINT message = ShowRunningCopyMessage(programDirectory_);
  const DWORD start = GetTickCount();
  do {
    // Every main window of every folder is asked; only the copy of this
    // folder knows the message and answers it.
    for (HWND window = FindWindowExW(nullptr, nullptr, MainWindow::kClassName, nullptr); window;
         window = FindWindowExW(nullptr, window, MainWindow::kClassName, nullptr)) {
      DWORD process = 0;
      GetWindowThreadProcessId(window, &process);
      if (process == GetCurrentProcessId()) continue;
      AllowSetForegroundWindow(process);
      DWORD_PTR answer = 0;
      if (SendMessageTimeoutW(window, message, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 2000,
                              &answer) &&
          answer == kShowRunningCopyAnswer) {
        return;
      }
    }
    Sleep(100);  // the running copy is still starting: its window comes soon
  } while (GetTickCount() - start < 5000);
}

}  // namespace tav
