#include "app/ForegroundWatch.h"

#include <string>

#include "platform/win32/WindowPrograms.h"

namespace tav {

namespace {

// One watch per program: the event callback carries no context of its own.
ForegroundWatch* g_watch = nullptr;

// QUERY_USER_NOTIFICATION_STATE, whose function is looked up at run time so
// that the program starts where shell32 lacks it.
enum : int { kQunsBusy = 2, kQunsD3dFullScreen = 3, kQunsPresentationMode = 4 };
using QueryStateFunction = HRESULT(WINAPI*)(int*);

}  // namespace

ForegroundWatch::ForegroundWatch(std::function<void()> changed) : changed_(std::move(changed)) {
  g_watch = this;
  foregroundHook_ = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                                    &ForegroundWatch::OnEvent, 0, 0, WINEVENT_OUTOFCONTEXT);
  Update(GetForegroundWindow());
}

ForegroundWatch::~ForegroundWatch() {
  WatchTitles(false);
  if (foregroundHook_) UnhookWinEvent(foregroundHook_);
  if (g_watch == this) g_watch = nullptr;
}

void ForegroundWatch::WatchTitles(bool watch) {
  if (watch == (titleHook_ != nullptr)) return;
  if (watch) {
    titleHook_ = SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr,
                                 &ForegroundWatch::OnEvent, 0, 0, WINEVENT_OUTOFCONTEXT);
  } else {
    UnhookWinEvent(titleHook_);
    titleHook_ = nullptr;
  }
}

void CALLBACK ForegroundWatch::OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG,
                                       DWORD, DWORD) {
  ForegroundWatch* watch = g_watch;
  if (!watch) return;
  if (event == EVENT_OBJECT_NAMECHANGE) {
    // Only the title of the window in front itself matters.
    if (object != OBJID_WINDOW || window != watch->window_) return;
    watch->current_.title = Describe(window).title;
  } else {
    watch->Update(GetForegroundWindow());
  }
  if (watch->changed_) watch->changed_();
}

bool ForegroundWatch::CatchUp() {
  const HWND front = GetForegroundWindow();
  if (front == window_) return false;
  Update(front);
  return true;
}

void ForegroundWatch::Update(HWND window) {
  window_ = window;
  current_ = Describe(window);
}

ForegroundInfo ForegroundWatch::Describe(HWND window) {
  WindowProgram program = DescribeWindow(window);
  return {std::move(program.executable), std::move(program.title)};
}

bool ForegroundWatch::FullScreenBusy() {
  static const auto query = reinterpret_cast<QueryStateFunction>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"shell32.dll"), "SHQueryUserNotificationState")));
  int state = 0;
  if (!query || FAILED(query(&state))) return false;
  return state == kQunsBusy || state == kQunsD3dFullScreen || state == kQunsPresentationMode;
}

}  // namespace tav
