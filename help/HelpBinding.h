// Shows a topic of the help file through the system's HTML Help viewer.
// HHCTRL.OCX is loaded from the system directory on the first request and
// stays loaded; a request that cannot load it, or cannot find its entry
// point, throws with the viewer's two fixed texts and the next one tries
// again.
#pragma once

#include "platform/win32/WinApi.h"

#include <cstdint>
#include <string>

#include "platform/win32/WinHandles.h"

namespace tav {

inline constexpr const char* kHelpNotInstalled =
    "HHCtrl.OCX not installed!\r HTMLHELP cannot displayed!";
inline constexpr const char* kHelpFunctionMissing = "Function HTMLHELP cannot loaded!";

// HTML Help's command to display a topic.
inline constexpr unsigned kHelpDisplayTopic = 0;

class HelpBinding {
 public:
  // `libraryDirectory` is where HHCTRL.OCX is looked for; empty: the system
  // directory.
  explicit HelpBinding(std::wstring libraryDirectory = std::wstring());

  // Shows `address` (HelpAddress of HelpTopics.h) for `owner`; the viewer's
  // result. Throws Error when the viewer cannot be reached.
  intptr_t ShowHelp(HWND owner, const std::string& address, unsigned command = kHelpDisplayTopic,
                    uintptr_t data = 0);

  bool loaded() const { return static_cast<bool>(library_); }

 private:
  using HtmlHelpFunction = HWND(WINAPI*)(HWND, const wchar_t*, UINT, DWORD_PTR);
  void Bind();

  std::wstring libraryDirectory_;
  UniqueModule library_;
  HtmlHelpFunction htmlHelp_ = nullptr;
};

// Windows blocks a help file that came from the Internet (Mark of the Web:
// its Zone.Identifier stream): the viewer shows "navigation canceled" for
// every page. The program's own help file came in the same zip as the
// program the user chose to run, so the mark is taken off it; the user is
// told how to do it where that is not allowed (a read-only folder).
enum class HelpFileBlock { kNone, kUnblocked, kBlocked };
HelpFileBlock UnblockHelpFile(const std::string& helpFile);

inline constexpr const char* kHelpFileBlocked =
    "帮助文件“帮助.chm”是从网络下载的，Windows 阻止了它的内容，打开后只会显示"
    "“已取消到该网页的导航”。\r\n\r\n解除方法：在资源管理器中右键单击程序文件夹里的"
    "“帮助.chm”，选择“属性”，在“常规”页勾选“解除锁定”（或单击“解除锁定”按钮），"
    "然后单击“确定”。";

// The program's one binding: shows `topic` (HelpTopics.h) of the help file
// in the program directory for `owner`. Throws like ShowHelp.
intptr_t ShowHelpTopic(HWND owner, const std::string& programDirectory, const std::string& topic);

}  // namespace tav
