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


// Which thread each call was made on, and how many threads the courier made.
std::vector<DWORD> callers;
BOOL QuickNotificationArea(DWORD message, NOTIFYICONDATAW*) {
  callers.push_back(GetCurrentThreadId());
  return message != NIM_ADD && message != NIM_MODIFY;  // taking neither an add nor a modify
}
int started = 0;
HANDLE lastThread = nullptr;  // a copy the test may wait on; the courier closes its own
HANDLE CountingStart(LPTHREAD_START_ROUTINE work, void* context) {
  ++started;
  HANDLE thread = CreateThread(nullptr, 0, work, context, 0, nullptr);
  if (thread != nullptr) {
    DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &lastThread, SYNCHRONIZE,
                    FALSE, 0);
  }
  return thread;
}
HANDLE NoThread(LPTHREAD_START_ROUTINE, void*) {
  ++started;
  return nullptr;
}

struct Round {
  const char* area;
  AnswersAtOnceFunction answers;
  StartThreadFunction start;
  bool onThisThread;
};

// A notification area that answers at once is called on the caller's thread and costs no
// thread; one that keeps us waiting gets a thread, which ends by itself once it has been idle,
// and a later call makes another. Without a thread to be had the calls are made here all the
// same, and wherever it was made, a refused add is answered, so that it is offered again.
TEST(TrayCourierTest, AThreadOnlyWhileTheAreaKeepsUsWaitingAndEveryAddAnswered) {
  constexpr UINT kAnswer = WM_APP + 41;
  HWND window = CreateWindowExW(0, L"STATIC", L"icon owner", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof(icon);
  icon.hWnd = window;
  for (const Round& round : {Round{"answering", &AnswersAtOnce, &CountingStart, true},
                             Round{"keeping us waiting", &KeepsUsWaiting, &CountingStart, false},
                             Round{"no thread to be had", &KeepsUsWaiting, &NoThread, true}}) {
    SCOPED_TRACE(round.area);
    callers.clear();
    started = 0;
    lastThread = nullptr;
    TrayCourier courier(kAnswer, &QuickNotificationArea, round.answers, round.start, 50);
    for (int call = 0; call < 2; ++call) {
      courier.Add(icon);
      EXPECT_TRUE(courier.WaitUntilDone(5000));
      MSG answer{};
      ASSERT_TRUE(PeekMessageW(&answer, window, kAnswer, kAnswer, PM_REMOVE)) << "no answer";
      EXPECT_EQ(answer.wParam, static_cast<WPARAM>(FALSE));
      if (lastThread != nullptr) {
        EXPECT_EQ(WaitForSingleObject(lastThread, 5000), WAIT_OBJECT_0) << "the idle thread stays";
        CloseHandle(lastThread);
        lastThread = nullptr;
      }
    }
    EXPECT_EQ(started, round.answers() ? 0 : 2);  // a new thread for the call after the idle one
    ASSERT_EQ(callers.size(), 4u);  // NIM_ADD and NIM_MODIFY each time
    for (DWORD caller : callers) EXPECT_EQ(caller == GetCurrentThreadId(), round.onThisThread);
  }
  DestroyWindow(window);
}

}  // namespace
}  // namespace tarvek::win
