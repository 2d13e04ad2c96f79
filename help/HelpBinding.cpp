#include "help/HelpBinding.h"

#include "base/Errors.h"
#include "help/HelpTopics.h"
#include "platform/win32/Wide.h"

namespace tav {

namespace {

std::wstring SystemDirectory() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
  return std::wstring(buffer, length <= MAX_PATH ? length : 0);
}

}  // namespace

HelpBinding::HelpBinding(std::wstring libraryDirectory)
    : libraryDirectory_(std::move(libraryDirectory)) {}

void HelpBinding::Bind() {
  if (!library_) {
    const std::wstring directory =
        libraryDirectory_.empty() ? SystemDirectory() : libraryDirectory_;
    library_.reset(LoadLibraryW((directory + L"\\HHCTRL.OCX").c_str()));
    if (!library_) throw Error(kHelpNotInstalled);
  }
  // The wide entry point: the address holds the Chinese file name.
  htmlHelp_ = reinterpret_cast<HtmlHelpFunction>(
      reinterpret_cast<void*>(GetProcAddress(library_.get(), "HtmlHelpW")));
  if (!htmlHelp_) throw Error(kHelpFunctionMissing);
  // No HH_INITIALIZE: it would move the viewer onto this thread, which
  // then owes it HH_PRETRANSLATEMESSAGE for every message of its loop and
  // HH_UNINITIALIZE at exit. Uninitialised, the viewer runs on a thread of
  // its own and its keys (Tab, accelerators) work without our loop.
}

intptr_t HelpBinding::ShowHelp(HWND owner, const std::string& address, unsigned command,
                               uintptr_t data) {
  if (!htmlHelp_) Bind();
  return reinterpret_cast<intptr_t>(htmlHelp_(owner, Widen(address).c_str(), command, data));
}

HelpFileBlock UnblockHelpFile(const std::string& helpFile) {
  // A file unpacked from a downloaded zip carries the zone it came from in
  // this stream; the viewer then shows none of its pages.
  const std::wstring zone = Widen(helpFile) + L":Zone.Identifier";
  if (GetFileAttributesW(zone.c_str()) == INVALID_FILE_ATTRIBUTES) return HelpFileBlock::kNone;
  return DeleteFileW(zone.c_str()) ? HelpFileBlock::kUnblocked : HelpFileBlock::kBlocked;
}

intptr_t ShowHelpTopic(HWND owner, const std::string& programDirectory, const std::string& topic) {
  static HelpBinding binding;
  return binding.ShowHelp(owner, HelpAddress(programDirectory, topic));
}

}  // namespace tav
