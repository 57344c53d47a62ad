#include "win/system/session_end.h"

#include "win/system/on_demand.h"
#include "win/system/strings.h"

namespace tarvek::win {

namespace {

using CreateReason = BOOL(WINAPI*)(HWND, LPCWSTR);
using DestroyReason = BOOL(WINAPI*)(HWND);

}  // namespace

bool SetShutdownReason(HWND window, const std::string& reason) {
  static const auto create =
      SystemFunction<CreateReason>(L"user32.dll", "ShutdownBlockReasonCreate");
  if (create == nullptr || window == nullptr) return false;
  return create(window, Widen(reason).c_str()) != FALSE;
}

bool ClearShutdownReason(HWND window) {
  static const auto destroy =
      SystemFunction<DestroyReason>(L"user32.dll", "ShutdownBlockReasonDestroy");
  if (destroy == nullptr || window == nullptr) return false;
  return destroy(window) != FALSE;
}

}  // namespace tarvek::win
