#include "tests/win32/Win32TestSupport.h"

#include <filesystem>
#include <fstream>
#include <map>

#include "base/TextEncoding.h"
#include "platform/win32/Wide.h"

namespace tav::test {

int QuietWin32Platform::MessageBox(const std::string& text, const std::string& caption,
                                   unsigned /*style*/) {
  messages.push_back(text + "|" + caption);
  return mb::kIdOk;
}

namespace {
std::map<UINT_PTR, std::function<void()>>& PendingActions() {
  static std::map<UINT_PTR, std::function<void()>> actions;
  return actions;
}

void CALLBACK RunPendingAction(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  auto node = PendingActions().extract(id);
  if (!node.empty()) node.mapped()();
}
}  // namespace

void RunLater(int milliseconds, std::function<void()> action) {
  const UINT_PTR id = SetTimer(nullptr, 0, static_cast<UINT>(milliseconds), RunPendingAction);
  PendingActions()[id] = std::move(action);
}

void TypeAndPress(HWND edit, const std::wstring& text, HWND dialog, int buttonId) {
  SetWindowTextW(edit, text.c_str());
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
}

bool CombinationTaken(unsigned modifiers, unsigned virtualKey) {
  constexpr int kProbeId = 0xBFFF;
  HWND probe = CreateWindowExW(0, L"STATIC", L"probe", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               nullptr, nullptr);
  const bool free = RegisterHotKey(probe, kProbeId, modifiers, virtualKey) != 0;
  if (free) UnregisterHotKey(probe, kProbeId);
  DestroyWindow(probe);
  return !free;
}

void InjectCombination(unsigned modifiers, unsigned virtualKey) {
  const struct {
    unsigned flag;
    BYTE key;
  } modifierKeys[] = {{MOD_CONTROL, VK_CONTROL}, {MOD_ALT, VK_MENU}, {MOD_SHIFT, VK_SHIFT}};
  for (const auto& m : modifierKeys) {
    if (modifiers & m.flag) keybd_event(m.key, 0, 0, 0);
  }
  keybd_event(static_cast<BYTE>(virtualKey), 0, 0, 0);
  keybd_event(static_cast<BYTE>(virtualKey), 0, KEYEVENTF_KEYUP, 0);
  for (const auto& m : modifierKeys) {
    if (modifiers & m.flag) keybd_event(m.key, 0, KEYEVENTF_KEYUP, 0);
  }
}

std::vector<LPARAM> PumpHotkeys(HWND window, int milliseconds) {
  std::vector<LPARAM> hotkeys;
  const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
  while (GetTickCount() < end) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_HOTKEY && message.hwnd == window) hotkeys.push_back(message.lParam);
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(10);
  }
  return hotkeys;
}

std::string MakeProgramDirectory(const std::string& name, const std::string& schemeXml) {
  const std::filesystem::path directory =
      std::filesystem::temp_directory_path() / ("tavrelin-win32-" + name);
  std::filesystem::remove_all(directory);
  std::filesystem::create_directories(directory / "Data");
  std::ofstream(directory / "hotkey.xml", std::ios::binary) << Utf8ToCp936(schemeXml);
  return Narrow(directory.wstring()) + "\\";
}

void WriteSchemeFile(const std::string& path, const std::string& schemeXml) {
  std::ofstream(std::filesystem::path(Widen(path)), std::ios::binary) << Utf8ToCp936(schemeXml);
}

std::string SchemeXml(const std::vector<std::pair<std::string, std::string>>& entries,
                      const std::string& password) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<velmora>\r\n\t<set>\r\n\t\t<password>" +
      password + "</password>\r\n\t</set>\r\n\t<hotkeylist>\r\n";
  for (const auto& [key, action] : entries) {
    xml += "\t\t<hotkeyset><hotkey>" + key + "</hotkey><action>" + action +
           "</action><hint></hint><sort></sort></hotkeyset>\r\n";
  }
  return xml + "\t</hotkeylist>\r\n</velmora>\r\n";
}

}  // namespace tav::test
