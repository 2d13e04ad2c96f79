#include "platform/win32/Elevation.h"

#include <optional>
#include <vector>

#include "platform/win32/WinHandles.h"

namespace tav {

namespace {

// The token of a process, opened for queries; empty when it may not be read.
UniqueKernelHandle QueryToken(DWORD processId, DWORD& error) {
  const UniqueKernelHandle process(
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) {
    error = GetLastError();
    return UniqueKernelHandle();
  }
  HANDLE token = nullptr;
  if (!OpenProcessToken(process.get(), TOKEN_QUERY, &token)) {
    error = GetLastError();
    return UniqueKernelHandle();
  }
  return UniqueKernelHandle(token);
}

// The token's mandatory integrity level, the last sub-authority of its label
// (0x2000 medium, 0x3000 high for an elevated program).
std::optional<DWORD> IntegrityLevel(HANDLE token) {
  DWORD size = 0;
  GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &size);
  if (size == 0) return std::nullopt;
  std::vector<BYTE> buffer(size);
  if (!GetTokenInformation(token, TokenIntegrityLevel, buffer.data(), size, &size))
    return std::nullopt;
  const PSID sid = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer.data())->Label.Sid;
  const UCHAR count = *GetSidSubAuthorityCount(sid);
  if (count == 0) return std::nullopt;
  return *GetSidSubAuthority(sid, count - 1);
}

using ChangeWindowMessageFilterExFunction = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);

}  // namespace

bool RunsAboveThisProcess(DWORD processId) {
  if (processId == GetCurrentProcessId()) return false;
  DWORD error = 0;
  const UniqueKernelHandle ours = QueryToken(GetCurrentProcessId(), error);
  const std::optional<DWORD> ourLevel = ours ? IntegrityLevel(ours.get()) : std::nullopt;
  if (!ourLevel) return false;
  const UniqueKernelHandle theirs = QueryToken(processId, error);
  if (!theirs) return *ourLevel < SECURITY_MANDATORY_HIGH_RID && error == ERROR_ACCESS_DENIED;
  const std::optional<DWORD> theirLevel = IntegrityLevel(theirs.get());
  return theirLevel && *theirLevel > *ourLevel;
}

bool ThisProcessIsElevated() {
  DWORD error = 0;
  const UniqueKernelHandle token = QueryToken(GetCurrentProcessId(), error);
  if (!token) return false;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  return GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) &&
         elevation.TokenIsElevated != 0;
}

int AllowMessagesFromLowerLevels(HWND window, std::initializer_list<UINT> messages) {
  constexpr DWORD kMessageFilterAllow = 1;  // MSGFLT_ALLOW
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  const auto change = reinterpret_cast<ChangeWindowMessageFilterExFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(user32, "ChangeWindowMessageFilterEx")));
  if (!change) return 0;
  int allowed = 0;
  for (const UINT message : messages) {
    if (change(window, message, kMessageFilterAllow, nullptr)) ++allowed;
  }
  return allowed;
}

}  // namespace tav
