#include "win/system/tray_courier.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvek::win {
namespace {

// A notification area that takes 300 ms to answer each call, and records what it was asked.
std::wstring asked;
BOOL SlowNotificationArea(DWORD message, NOTIFYICONDATAW* icon) {
  Sleep(300);
  asked += message == NIM_ADD ? L"add:" : message == NIM_MODIFY ? L"modify:" : L"delete:";
  asked += icon->szTip;
  asked += L" ";
  return message != NIM_ADD;  // the add is refused: the icon "is there already"
}

// The caller never waits on the notification area; the calls reach it in their order, the
// add's outcome comes back as a message, a retired picture goes only after the calls before it,
// and the end waits for the removal.
TEST(TrayCourierTest, CallsGoInOrderOnTheirOwnThreadAndTheAddIsAnswered) {
  asked.clear();
  constexpr UINT kAnswer = WM_APP + 40;
  HWND window = CreateWindowExW(0, L"STATIC", L"icon owner", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  HICON picture = CopyIcon(LoadIconW(nullptr, IDI_APPLICATION));
  {
    TrayCourier courier(kAnswer, &SlowNotificationArea);
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof(icon);
    icon.hWnd = window;
    wcscpy_s(icon.szTip, L"a");
    const ULONGLONG before = GetTickCount64();
    courier.Add(icon);
    wcscpy_s(icon.szTip, L"b");
    courier.Modify(icon);
    courier.Retire(picture);
    courier.Delete(icon);
    EXPECT_LT(GetTickCount64() - before, 200u) << "the caller waited on the notification area";
    EXPECT_TRUE(courier.WaitUntilDone(5000));
    EXPECT_EQ(asked, L"add:a modify:a modify:b delete:b ");
    ICONINFO info{};
    EXPECT_EQ(GetIconInfo(picture, &info), FALSE) << "the retired picture is still there";
    MSG answer{};
    ASSERT_TRUE(PeekMessageW(&answer, window, kAnswer, kAnswer, PM_REMOVE));
    EXPECT_EQ(answer.wParam, static_cast<WPARAM>(TRUE));
    courier.Delete(icon);
  }  // the end waits for the last removal
  EXPECT_EQ(asked, L"add:a modify:a modify:b delete:b delete:b ");
  DestroyWindow(window);
}

}  // namespace
}  // namespace tarvek::win
