#include "win/windows/screens.h"

#include <gtest/gtest.h>

#include "win/windows/dpi.h"

namespace tarvek::win {
namespace {

// With the one screen there is, the window parks where it always did: against the screen's
// whole width (SM_CXSCREEN), counted at the window's DPI.
TEST(ScreensTest, OneScreenParksAtTheWholeWidthAtTheWindowsDpi) {
  HWND window = CreateWindowExW(0, L"STATIC", L"parked", WS_POPUP, 200, 100, 300, 200, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  std::vector<Screen> screens = DesktopScreens(window);
  ASSERT_EQ(screens.size(), 1u);
  EXPECT_EQ(screens[0].area.left, 0);
  EXPECT_EQ(screens[0].area.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(screens[0].area.bottom, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_LE(screens[0].work.right, screens[0].area.right);
  RECT r{};
  GetWindowRect(window, &r);
  std::optional<ScreenEdge> edge = ParkingEdge(screens, ScreenRectOf(r));
  ASSERT_TRUE(edge.has_value());
  EXPECT_EQ(edge->right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(edge->dpi, WindowDpi(window));
  DestroyWindow(window);
}

}  // namespace
}  // namespace tarvek::win
