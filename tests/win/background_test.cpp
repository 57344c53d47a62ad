// Calls that may wait long: jobs on worker threads that have COM, where one job left waiting
// holds up no other; and a window whose thread hangs, shown or hidden without waiting for it.
#include <windows.h>
// after windows.h
#include <objbase.h>

#include <gtest/gtest.h>

#include <thread>

#include "win/unique_handle.h"
#include "win/win_system.h"

namespace tarvek::win {
namespace {

// Far longer than any of these steps takes; a wait that runs out means the step never came.
constexpr DWORD kBound = 20000;

UniqueKernelHandle NewEvent() {
  return UniqueKernelHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr));
}

TEST(Background, AJobLeftWaitingHoldsUpNeitherThisThreadNorTheNextJob) {
  UniqueKernelHandle release = NewEvent(), firstDone = NewEvent(), secondDone = NewEvent();
  DWORD firstThread = 0, secondThread = 0, firstWoke = WAIT_FAILED;
  HRESULT apartment = S_OK;
  WinSystem system;
  system.RunInBackground([&](SystemPort&) {
    firstThread = GetCurrentThreadId();
    firstWoke = WaitForSingleObject(release.get(), kBound);
    SetEvent(firstDone.get());
  });
  system.RunInBackground([&](SystemPort&) {
    secondThread = GetCurrentThreadId();
    // A thread in a single-threaded apartment cannot join the multithreaded one.
    apartment = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(apartment)) CoUninitialize();
    SetEvent(secondDone.get());
  });
  EXPECT_EQ(WaitForSingleObject(secondDone.get(), kBound), WAIT_OBJECT_0);
  SetEvent(release.get());
  ASSERT_EQ(WaitForSingleObject(firstDone.get(), kBound), WAIT_OBJECT_0);
  EXPECT_EQ(firstWoke, WAIT_OBJECT_0);  // still waiting when the second job had run
  EXPECT_NE(firstThread, GetCurrentThreadId());
  EXPECT_NE(secondThread, GetCurrentThreadId());
  EXPECT_NE(firstThread, secondThread);
  EXPECT_EQ(apartment, RPC_E_CHANGED_MODE);
}

TEST(Background, AWindowWhoseThreadHangsIsHiddenWithoutWaitingForIt) {
  UniqueKernelHandle made = NewEvent(), release = NewEvent();
  HWND window = nullptr;
  DWORD woke = WAIT_FAILED;
  bool visibleAfter = true;
  std::thread owner([&] {
    window = CreateWindowExW(0, L"STATIC", L"挂起的窗口", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                             200, 100, nullptr, nullptr, nullptr, nullptr);
    SetEvent(made.get());
    woke = WaitForSingleObject(release.get(), kBound);  // answers nothing meanwhile
    for (int i = 0; i < 200 && IsWindowVisible(window); ++i) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    visibleAfter = IsWindowVisible(window) != FALSE;
    DestroyWindow(window);
  });
  ASSERT_EQ(WaitForSingleObject(made.get(), kBound), WAIT_OBJECT_0);
  WinSystem system;
  system.ShowWindow(reinterpret_cast<WindowRef>(window), SW_HIDE);
  SetEvent(release.get());
  owner.join();
  EXPECT_EQ(woke, WAIT_OBJECT_0);  // the call came back while the window's thread still hung
  EXPECT_FALSE(visibleAfter);
}

}  // namespace
}  // namespace tarvek::win
