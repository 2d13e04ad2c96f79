#include "help/HelpBinding.h"

#include "base/Errors.h"
#include "help/HelpTopics.h"
#include "platform/win32/Wide.h"

namespace tav {

namespace {

constexpr UINT kHelpInitialize = 0x1C;

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
  htmlHelp_(nullptr, nullptr, kHelpInitialize, reinterpret_cast<DWORD_PTR>(&cookie_));
}

intptr_t HelpBinding::ShowHelp(HWND owner, const std::string& address, unsigned command,
                               uintptr_t data) {
  if (!htmlHelp_) Bind();
  return reinterpret_cast<intptr_t>(htmlHelp_(owner, Widen(address).c_str(), command, data));
}

intptr_t ShowHelpTopic(HWND owner, const std::string& programDirectory, const std::string& topic) {
  static HelpBinding binding;
  return binding.ShowHelp(owner, HelpAddress(programDirectory, topic));
}

}  // namespace tav
