// A window whose thread hangs is shown or hidden without waiting for it.
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "win/system/unique_handle.h"
#include "win/system/win_system.h"

namespace tarvek::win {
namespace {

TEST(ForeignWindows, AWindowWhoseThreadHangsIsHiddenWithoutWaitingForIt) {
  UniqueKernelHandle made(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  UniqueKernelHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HWND window = nullptr;
  DWORD woke = WAIT_FAILED;
  bool visibleAfter = true;
  std::thread owner([&] {
    window = CreateWindowExW(0, L"STATIC", L"挂起的窗口", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                             200, 100, nullptr, nullptr, nullptr, nullptr);
    SetEvent(made.get());
    woke = WaitForSingleObject(release.get(), 20000);  // answers nothing meanwhile
    for (int i = 0; i < 200 && IsWindowVisible(window); ++i) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    visibleAfter = IsWindowVisible(window) != FALSE;
    DestroyWindow(window);
  });
  ASSERT_EQ(WaitForSingleObject(made.get(), 20000), WAIT_OBJECT_0);
  WinSystem system;
  system.ShowWindow(reinterpret_cast<WindowRef>(window), SW_HIDE);
  SetEvent(release.get());
  owner.join();
  EXPECT_EQ(woke, WAIT_OBJECT_0);  // the call came back while the window's thread still hung
  EXPECT_FALSE(visibleAfter);
}

}  // namespace
}  // namespace tarvek::win
