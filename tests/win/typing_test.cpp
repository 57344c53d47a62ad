// Typing a text into the window in front: every character arrives in the box as it was given,
// and no modifier is left down afterwards.
#include "win/input/typing.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <atomic>
#include <string>
#include <thread>

#include "core/hotkey_table.h"
#include "win_test_support.h"

namespace tarvek::win {
namespace {

// The test's own box stands in for a window of another program.
class OtherProgramDevice : public WinTypingDevice {
 public:
  bool OwnWindow(WindowRef) override { return false; }
};

void SendKeys(std::initializer_list<WORD> keys, DWORD flags) {
  for (WORD key : keys) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = flags;
    SendInput(1, &input, sizeof(INPUT));
  }
}

// Types the text as a press of Ctrl+Shift+T would (the two still held when the job starts) and
// returns what the box holds once the typist is done and the input has arrived. Without a
// device, the typist's own types, and no key is held.
std::string TypedInto(wintest::FrontEditBox& box, const std::string& text, TypingDevice* device) {
  SetWindowTextW(box.Box(), L"");
  if (device != nullptr) {
    SendKeys({VK_CONTROL, VK_SHIFT}, 0);
    TypeInFront(TypingJob{text, HotkeyKeys(kModControl | kModShift, 'T')}, *device);
  } else {
    TypeInFront(TypingJob{text, {}});
  }
  // A bound, not a measurement: once the typist is done, the input it sent may still be on its
  // way (a loaded machine takes a while), so the rounds go on until the box holds the text,
  // and a few more show that nothing else follows.
  const std::string wanted = device != nullptr ? text : std::string();
  for (int i = 0, after = 0; i < 400 && after < 10; ++i) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (TypingDone() && box.Text() == wanted) ++after;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 25, QS_ALLINPUT);
  }
  const bool heldAfter =
      (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0 || (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0;
  SendKeys({VK_SHIFT, VK_CONTROL}, KEYEVENTF_KEYUP);  // whatever the outcome, for later tests
  return heldAfter ? "(held) " + box.Text() : box.Text();
}

TEST(Typing, TheTextArrivesExactlyInAnotherProgramAndNotInThisOne) {
  wintest::FrontEditBox box;
  ASSERT_EQ(GetForegroundWindow(), box.Frame());
  OtherProgramDevice other;
  EXPECT_EQ(TypedInto(box, "你好, World", &other), "你好, World");
  EXPECT_EQ(TypedInto(box, "a\tb\r\nc", &other), "a\tb\r\nc");
  // The typist's own device knows the box for this program's and types nothing into it.
  EXPECT_EQ(TypedInto(box, "a", nullptr), "");
  for (int key : {VK_CONTROL, VK_MENU, VK_SHIFT, VK_LWIN, VK_RWIN}) {
    EXPECT_EQ(GetAsyncKeyState(key) & 0x8000, 0) << key;
  }
}

std::size_t ThreadsOfThisProcess() {
  std::size_t count = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

// The typist's thread is there while it has work, and goes once it has waited a while for more.
TEST(Typing, TheTypistsThreadEndsOnceIdle) {
  TypeInFront(TypingJob{"", {}});
  const std::size_t typing = ThreadsOfThisProcess();
  std::size_t now = typing;
  for (int i = 0; i < 200 && now >= typing; ++i, now = ThreadsOfThisProcess()) Sleep(50);
  EXPECT_TRUE(TypingDone());
  EXPECT_EQ(now, typing - 1);
}

// A window whose thread shows a popup menu is in a menu, as the typist asks before typing (a
// key typed there would choose an item); once the menu is gone, it is not.
TEST(Typing, AWindowShowingAMenuIsInAMenu) {
  std::atomic<HWND> owner = nullptr;
  std::thread menuThread([&owner] {
    HWND window = CreateWindowExW(0, L"STATIC", L"menu", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                  nullptr, nullptr, nullptr, nullptr);
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 1, L"item");
    SetForegroundWindow(window);
    owner = window;
    TrackPopupMenu(menu, 0, 10, 10, 0, window, nullptr);
    DestroyMenu(menu);
    DestroyWindow(window);
  });
  WinTypingDevice device;
  bool inMenu = false;
  for (int i = 0; i < 400 && !inMenu; ++i) {
    Sleep(10);
    inMenu = owner != nullptr && device.InMenu(reinterpret_cast<WindowRef>(owner.load()));
  }
  EXPECT_TRUE(inMenu);
  const HWND window = owner;
  PostMessageW(window, WM_CANCELMODE, 0, 0);
  menuThread.join();
  EXPECT_FALSE(device.InMenu(reinterpret_cast<WindowRef>(window)));
}

}  // namespace
}  // namespace tarvek::win
