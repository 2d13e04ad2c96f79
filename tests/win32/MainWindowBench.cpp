// Benchmark of the main window with a 100-entry scheme: opening it (load,
// registration, list and icons), showing the window until the list is
// painted, and a sort of the 100 entries by a column. Prints the median and
// the extremes of each in milliseconds.
//   wine build/windows/tests/win32/tavrelin_bench_mainwindow.exe
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "tests/win32/Win32TestSupport.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::pair<std::string, std::string>> HundredEntries() {
  const char* actions[] = {"C:\\windows\\notepad.exe",
                           "C:\\windows\\system32\\calc.exe",
                           "关闭计算机",
                           "http://www.example.com/",
                           "C:\\windows\\",
                           "PasteLine:你好"};
  std::vector<std::pair<std::string, std::string>> entries;
  const int modifiers[] = {3, 5, 6, 7};
  for (int i = 0; i < 100; ++i) {
    const std::string key = std::to_string(modifiers[i / 26]) + "+" + std::to_string('A' + i % 26);
    entries.emplace_back(key, actions[i % std::size(actions)]);
  }
  return entries;
}

void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void Report(const char* what, std::vector<double> times) {
  std::sort(times.begin(), times.end());
  std::printf("%-44s median %8.2f ms   min %8.2f   max %8.2f   (%zu runs)\n", what,
              times[times.size() / 2], times.front(), times.back(), times.size());
}

double Milliseconds(const std::function<void()>& run) {
  const auto start = Clock::now();
  run();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main() {
  using namespace tav;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  test::QuietWin32Platform platform;
  SchemeState scheme;
  PasswordPrompt login(platform, scheme.rememberedPassword);
  const std::string directory =
      test::MakeProgramDirectory("bench-main", test::SchemeXml(HundredEntries()));
  MainWindow form(platform, directory, login, scheme);
  if (!form.Create()) return 1;
  Pump();

  constexpr int kRuns = 15;
  std::vector<double> open;
  std::vector<double> show;
  std::vector<double> sort;
  for (int run = 0; run < kRuns; ++run) {
    open.push_back(Milliseconds([&] { form.OpenScheme(form.DefaultSchemePath()); }));
    show.push_back(Milliseconds([&] {
      form.ShowMainWindow();
      UpdateWindow(form.hwnd());
      UpdateWindow(form.listView());  // the list painted
    }));
    sort.push_back(Milliseconds([&] { form.SortByColumn(run % 3); }));
    ShowWindow(form.hwnd(), SW_HIDE);
    Pump();
  }
  std::printf("%d entries listed\n", ListView_GetItemCount(form.listView()));
  Report("open the scheme (load, register, list, icons)", open);
  Report("show the window until the list is painted", show);
  Report("sort the 100 entries by a column", sort);
  form.UnregisterHotkeys(true);
  return 0;
}
