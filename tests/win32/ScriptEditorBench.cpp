// Keystroke to recoloured view in the script editor: a 10,000-line script is
// loaded and shown, then characters are typed at its top (each one painted
// at once), including the "@$%" that turns every visible line into a
// comment. Prints the median and worst time per keystroke. Run by hand under
// Wine; with --show it instead shows the editor with a coloured sample
// script until the window is closed (for screenshots).
#include <scintilla/Scintilla.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/AtomicFile.h"
#include "base/PathConversion.h"
#include "base/TextEncoding.h"
#include "editor/ScriptEditorWindow.h"
#include "platform/RecordingPlatform.h"

namespace {

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

std::string GenerateScript(int lines) {
  const char* const pattern[] = {"$$/打开记事本并输入问候",
                                 "Key_Down~:Ctrl",
                                 "Key_Press:V",
                                 "Key_Up~~~:Ctrl",
                                 "PasteLine:你好，世界 Hello World $$/粘贴一行",
                                 "Delay_ms~:200",
                                 "\"引号里的文字\" and more",
                                 "Mouse_btn:LDown"};
  std::string text;
  for (int i = 0; i < lines; ++i) text += std::string(pattern[i % 8]) + "\r\n";
  return tav::Utf8ToCp936(text);
}

const char kSample[] =
    "$$/打开记事本，写一行问候\r\n"
    "notepad.exe\r\n"
    "Delay_ms~:500\r\n"
    "PasteLine:\"你好，世界\" Hello World\r\n"
    "$$/按住\r\n"
    "Key_Down~:Ctrl\r\n"
    "Key_Press:S\r\n"
    "Key_Up~~~:Ctrl\r\n"
    "@$% 多行注释：\r\n"
    "   保存以后双击鼠标 @$%\r\n"
    "$$/左键双击\r\n"
    "Mouse_btn:LDown\r\n"
    "Mouse_btn:LUp\r\n";

}  // namespace

int main(int argc, char** argv) {
  const bool show = argc > 1 && std::string(argv[1]) == "--show";
  tav::RecordingPlatform platform;
  tav::ScriptEditorWindow form(platform, "C:\\");
  const std::string path =
      tav::PathToUtf8(std::filesystem::temp_directory_path() / "tavrelin-bench.tsc");
  tav::WriteFileAtomically(path, show ? tav::Utf8ToCp936(kSample) : GenerateScript(10000));
  form.OpenScriptFile(path);
  if (show) {
    form.ShowModalOver(nullptr);
    return 0;
  }
  ShowWindow(form.hwnd(), SW_SHOW);
  UpdateWindow(form.hwnd());
  const HWND editor = form.Editor();
  const std::string typed = "@$%x@$%abc";
  std::vector<double> times;
  for (int round = 0; round < 20; ++round) {
    for (char c : typed) {
      SendMessageW(editor, SCI_GOTOPOS, 0, 0);
      LARGE_INTEGER start, end;
      QueryPerformanceCounter(&start);
      SendMessageW(editor, WM_CHAR, static_cast<WPARAM>(c), 1);
      UpdateWindow(editor);
      QueryPerformanceCounter(&end);
      times.push_back(Milliseconds(start, end));
    }
  }
  std::sort(times.begin(), times.end());
  std::printf(
      "keystroke to recoloured view, 10000-line script: median %.2f ms, worst %.2f ms "
      "(%zu keystrokes)\n",
      times[times.size() / 2], times.back(), times.size());
  std::filesystem::remove(std::filesystem::temp_directory_path() / "tavrelin-bench.tsc");
  return 0;
}
