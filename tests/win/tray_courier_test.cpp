#include "win/system/tray_courier.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

bool KeepsUsWaiting() { return false; }
bool AnswersAtOnce() { return true; }

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
    TrayCourier courier(kAnswer, &SlowNotificationArea, &KeepsUsWaiting);
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

// Copies of the threads the courier made, to wait on (it closes its own).
std::vector<HANDLE> made;
BOOL Refusing(DWORD, NOTIFYICONDATAW*) { return FALSE; }  // neither the add nor the modify after it
HANDLE Counting(LPTHREAD_START_ROUTINE work, void* context) {
  HANDLE thread = CreateThread(nullptr, 0, work, context, 0, nullptr), copy = nullptr;
  DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0);
  made.push_back(copy);
  return thread;
}
HANDLE NoThread(LPTHREAD_START_ROUTINE, void*) { return nullptr; }

// An area that answers at once is called with no thread made; one that keeps us waiting gets a
// thread, which ends once idle, and the next call makes another. Without a thread to be had the
// calls are made here all the same, and wherever made, a refused add is answered.
TEST(TrayCourierTest, AThreadOnlyWhileTheAreaKeepsUsWaitingAndEveryAddAnswered) {
  constexpr UINT kAnswer = WM_APP + 41;
  HWND window = CreateWindowExW(0, L"STATIC", L"icon owner", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof(icon);
  icon.hWnd = window;
  struct Round {
    const char* area;
    AnswersAtOnceFunction answers;
    StartThreadFunction start;
    std::size_t threads;
  };
  for (const Round& round : {Round{"answering", &AnswersAtOnce, &Counting, 0},
                             Round{"keeping us waiting", &KeepsUsWaiting, &Counting, 2},
                             Round{"no thread to be had", &KeepsUsWaiting, &NoThread, 0}}) {
    SCOPED_TRACE(round.area);
    made.clear();
    TrayCourier courier(kAnswer, &Refusing, round.answers, round.start, 50);
    for (int call = 0; call < 2; ++call) {
      courier.Add(icon);
      EXPECT_TRUE(courier.WaitUntilDone(5000));
      MSG answer{};
      ASSERT_TRUE(PeekMessageW(&answer, window, kAnswer, kAnswer, PM_REMOVE)) << "no answer";
      EXPECT_EQ(answer.wParam, static_cast<WPARAM>(FALSE));
      const DWORD ended = made.empty() ? WAIT_OBJECT_0 : WaitForSingleObject(made.back(), 5000);
      EXPECT_EQ(ended, WAIT_OBJECT_0) << "the idle thread stays";
    }
    EXPECT_EQ(made.size(), round.threads);
    for (HANDLE thread : made) CloseHandle(thread);
  }
  DestroyWindow(window);
}

}  // namespace
}  // namespace tarvek::win
