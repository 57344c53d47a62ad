#include "win/windows/screens.h"

#include <utility>

#include "win/windows/dpi.h"
#include "win/system/on_demand.h"

namespace tarvek::win {

namespace {

BOOL CALLBACK AddScreen(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (GetMonitorInfoW(monitor, &info)) {
    auto* screens = reinterpret_cast<std::vector<std::pair<HMONITOR, Screen>>*>(list);
    screens->push_back(
        {monitor, Screen{ScreenRectOf(info.rcMonitor), ScreenRectOf(info.rcWork), 0}});
  }
  return TRUE;
}

// The screen's own DPI (Windows 8.1 and later); 0 where it cannot be told.
UINT MonitorDpi(HMONITOR monitor) {
  using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const auto getDpiForMonitor =
      SystemFunction<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
  constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI: what the system scales by
  UINT x = 0, y = 0;
  if (getDpiForMonitor == nullptr || FAILED(getDpiForMonitor(monitor, kEffectiveDpi, &x, &y)))
    return 0;
  return y;
}

}  // namespace

ScreenRect ScreenRectOf(const RECT& rect) {
  return ScreenRect{rect.left, rect.top, rect.right, rect.bottom};
}

std::vector<Screen> DesktopScreens(HWND window) {
  std::vector<std::pair<HMONITOR, Screen>> found;
  EnumDisplayMonitors(nullptr, nullptr, AddScreen, reinterpret_cast<LPARAM>(&found));
  const UINT windowDpi = WindowDpi(window);
  std::vector<Screen> screens;
  for (auto& [monitor, screen] : found) {
    // A single screen costs no look-up of its own: the window is on it.
    UINT dpi = found.size() == 1 ? 0 : MonitorDpi(monitor);
    screen.dpi = dpi != 0 ? dpi : windowDpi;
    screens.push_back(screen);
  }
  return screens;
}

}  // namespace tarvek::win
