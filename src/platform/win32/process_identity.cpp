#include "platform/process_identity.h"

#include "platform/win32/windows_api.h"

namespace qnc {

// Windows' counterpart of root: a process whose token is elevated (run as administrator).
bool RunningAsRoot() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION elevation{};
  DWORD length = 0;
  const bool elevated =
      ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &length) && elevation.TokenIsElevated;
  ::CloseHandle(token);
  return elevated;
}

}  // namespace qnc
