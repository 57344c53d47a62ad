#include "win/launch/consent_owner.h"

#include <cwchar>
#include <iterator>

#include "win/launch/launch_routes.h"

namespace tarvek::win {

namespace {

constexpr wchar_t kConsentClass[] = L"TarvekConsentOwner";

}  // namespace

ConsentOwnerWindow::~ConsentOwnerWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
}

HWND ConsentOwnerWindow::Get() {
  if (window_ != nullptr && IsWindow(window_)) return window_;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance;
  wc.lpszClassName = kConsentClass;
  RegisterClassExW(&wc);  // fails harmlessly when it is registered already
  window_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_LAYERED, kConsentClass, L"", WS_POPUP, 0, 0, 1,
                            1, nullptr, nullptr, instance, nullptr);
  // Not wholly transparent: a window nobody could see might not count as one in front.
  if (window_ != nullptr) SetLayeredWindowAttributes(window_, 0, 1, LWA_ALPHA);
  return window_;
}

bool IsConsentOwnerWindow(HWND window) {
  DWORD process = 0;
  if (GetWindowThreadProcessId(window, &process) == 0 || process != GetCurrentProcessId())
    return false;
  wchar_t name[64];
  const int n = GetClassNameW(window, name, static_cast<int>(std::size(name)));
  return n > 0 && std::wcscmp(name, kConsentClass) == 0;
}

void BringConsentOwnerForward(HWND owner) {
  if (IsConsentOwnerWindow(owner)) {
    POINT pointer{};
    GetCursorPos(&pointer);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromPoint(pointer, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    // Waits for the window's thread, which answers: it is this program's user-interface thread.
    SetWindowPos(owner, HWND_TOP, (area.left + area.right) / 2, (area.top + area.bottom) / 2, 1, 1,
                 SWP_SHOWWINDOW);
  }
  TakeFront(owner);
}

void PutConsentOwnerAway(HWND owner) {
  if (IsConsentOwnerWindow(owner)) ShowWindowAsync(owner, SW_HIDE);
}

}  // namespace tarvek::win
