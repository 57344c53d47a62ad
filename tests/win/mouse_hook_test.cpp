// The mouse hook: a side button bound to a binding fires it and the window under the pointer
// never sees the click; any other click reaches the window untouched. Without bindings, the
// hook's thread is gone.
#include "win/input/mouse_hook.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <utility>

#include "core/input/key_names.h"
#include "win_test_support.h"

namespace tarvek::win {
namespace {

constexpr int kSlot = 9;

// Moves the pointer over the box, presses a button and lets it go, then watches for a while
// what arrives: the slot the main window is told of (or -1), and how many presses the box saw.
std::pair<int, int> Click(HWND box, HWND mainWindow, DWORD downFlag, DWORD data, UINT press) {
  RECT r{};
  GetWindowRect(box, &r);
  INPUT inputs[3]{};
  for (INPUT& input : inputs) input.type = INPUT_MOUSE;
  // Under Wine a synthetic click lands where an absolute move has put the pointer.
  inputs[0].mi.dx = ((r.left + r.right) / 2) * 65536 / GetSystemMetrics(SM_CXSCREEN);
  inputs[0].mi.dy = ((r.top + r.bottom) / 2) * 65536 / GetSystemMetrics(SM_CYSCREEN);
  inputs[0].mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
  inputs[1].mi.dwFlags = downFlag;
  inputs[2].mi.dwFlags = downFlag << 1;  // each button's release flag follows its press flag
  inputs[1].mi.mouseData = inputs[2].mi.mouseData = data;
  SendInput(3, inputs, sizeof(INPUT));
  std::pair<int, int> seen{-1, 0};
  // Absence is checked too, so the whole bound is waited for.
  for (int i = 0; i < 20; ++i) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      // The list's generation comes along: 5 is the one handed over below.
      if (message.message == kMouseFiredMessage && message.hwnd == mainWindow &&
          message.lParam == 5) {
        seen.first = static_cast<int>(message.wParam);
      }
      if (message.message == press && message.hwnd == box) ++seen.second;
      DispatchMessageW(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 25, QS_ALLINPUT);
  }
  return seen;
}

TEST(MouseHook, ABoundSideButtonFiresUnseenOtherClicksReachTheWindowAndNoListEndsIt) {
  wintest::FrontEditBox box;
  wintest::HiddenWindow mainWindow;
  auto list = std::make_shared<WatchedBindings>();
  list->generation = 5;
  list->bindings.push_back({kSlot, 0, kSideButton1Code, {}});
  MouseHook::Watch(list, mainWindow.get());
  EXPECT_TRUE(MouseHook::Running());
  auto sideClick = [&] {
    return Click(box.Box(), mainWindow.get(), MOUSEEVENTF_XDOWN, XBUTTON1, WM_XBUTTONDOWN);
  };
  EXPECT_EQ(sideClick(), std::pair(kSlot, 0));
  EXPECT_EQ(Click(box.Box(), mainWindow.get(), MOUSEEVENTF_LEFTDOWN, 0, WM_LBUTTONDOWN),
            std::pair(-1, 1));

  MouseHook::Watch(nullptr, mainWindow.get());
  EXPECT_FALSE(MouseHook::Running());
  EXPECT_EQ(sideClick(), std::pair(-1, 1));
}

}  // namespace
}  // namespace tarvek::win
