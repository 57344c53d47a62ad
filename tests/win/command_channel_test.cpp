// The switches' message between two copies: it arrives whole under its mark, a window that
// does not answer is given up on, and its sender is known for this user's.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "win/system/command_channel.h"

namespace tarvek::win {
namespace {

std::string received;
ULONG_PTR receivedMark = 0;
HWND receivedFrom = nullptr;

LRESULT CALLBACK Receiver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    received.assign(static_cast<const char*>(data->lpData), data->cbData);
    receivedMark = data->dwData;
    receivedFrom = reinterpret_cast<HWND>(wParam);
    return 7;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND MessageWindow() {
  return CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

TEST(CommandChannel, TheBytesArriveWholeAndTheAnswerComesBack) {
  HWND to = MessageWindow();
  HWND from = MessageWindow();
  SetWindowLongPtrW(to, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Receiver));
  const std::string bytes("\x01\x00\x00\x00列表\0尾", 14);
  EXPECT_EQ(SendCopyData(to, from, 0x54484B43, bytes, 5000), std::optional<LRESULT>(7));
  EXPECT_EQ(received, bytes);
  EXPECT_EQ(receivedMark, 0x54484B43u);
  EXPECT_EQ(receivedFrom, from);
  // A window of this process is this user's, in this session, with the same rights.
  SenderCheck check = CheckSender(from);
  EXPECT_TRUE(check.sameUserAndSession);
  EXPECT_FALSE(check.fewerRights);
  UniqueKernelHandle process = OpenProcessOfWindow(from);
  ASSERT_TRUE(process);
  EXPECT_EQ(WaitForSingleObject(process.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
  DestroyWindow(to);
  // Gone: no answer, and nobody behind it.
  EXPECT_EQ(SendCopyData(to, from, 0x54484B43, bytes, 5000), std::nullopt);
  DestroyWindow(from);
  EXPECT_FALSE(CheckSender(from).sameUserAndSession);
  EXPECT_FALSE(CheckSender(nullptr).sameUserAndSession);
  EXPECT_FALSE(OpenProcessOfWindow(from));
}

TEST(CommandChannel, AWindowThatDoesNotAnswerIsGivenUpOn) {
  HWND to = nullptr;
  HANDLE made = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread owner([&] {
    to = MessageWindow();
    SetEvent(made);
    WaitForSingleObject(release, 20000);  // answers nothing meanwhile
    DestroyWindow(to);
  });
  ASSERT_EQ(WaitForSingleObject(made, 20000), WAIT_OBJECT_0);
  HWND from = MessageWindow();
  EXPECT_EQ(SendCopyData(to, from, 1, "x", 200), std::nullopt);
  SetEvent(release);
  owner.join();
  DestroyWindow(from);
  CloseHandle(made);
  CloseHandle(release);
}

}  // namespace
}  // namespace tarvek::win
