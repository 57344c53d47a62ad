// Real system-wide hotkeys: registration on the main window, a combination another window
// already holds, and delivery of WM_HOTKEY for input made with SendInput.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "core/hotkey_table.h"
#include "win/system/win_system.h"
#include "win_test_support.h"

namespace tarvek::win {
namespace {

constexpr int kAllThree = kModControl | kModAlt | kModShift;

// Presses the keys in order and lets them go in reverse order.
UINT PressChord(const std::vector<WORD>& keys) {
  std::vector<INPUT> inputs;
  for (WORD key : keys) {
    INPUT down{};
    down.type = INPUT_KEYBOARD;
    down.ki.wVk = key;
    inputs.push_back(down);
  }
  for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
    INPUT up{};
    up.type = INPUT_KEYBOARD;
    up.ki.wVk = *key;
    up.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(up);
  }
  return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The id of the next WM_HOTKEY for window, or 0 when none came.
int NextHotkeyId(HWND window) {
  int id = 0;
  wintest::PumpUntil([&](const MSG& message) {
    if (message.message != WM_HOTKEY || message.hwnd != window) return false;
    id = static_cast<int>(message.wParam);
    return true;
  });
  return id;
}

class Hotkeys : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(mainWindow.get(), nullptr);
    ASSERT_NE(otherWindow.get(), nullptr);
    system.SetMainWindow(mainWindow.get());
    other.SetMainWindow(otherWindow.get());
  }

  wintest::HiddenWindow mainWindow;
  wintest::HiddenWindow otherWindow;
  WinSystem system;
  WinSystem other;
};

TEST_F(Hotkeys, ACombinationIsHeldUntilGivenBack) {
  const int id = BindingIdBase + 3;
  ASSERT_TRUE(system.RegisterHotkey(id, kAllThree, VK_F9));

  SetLastError(0);
  EXPECT_FALSE(other.RegisterHotkey(7, kAllThree, VK_F9));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HOTKEY_ALREADY_REGISTERED));
  // The same key with other modifiers is a different combination.
  EXPECT_TRUE(other.RegisterHotkey(8, kModControl | kModAlt, VK_F9));

  system.UnregisterHotkey(id);
  EXPECT_TRUE(other.RegisterHotkey(7, kAllThree, VK_F9));
  other.UnregisterHotkey(7);
  other.UnregisterHotkey(8);
}

TEST_F(Hotkeys, PressingTheCombinationSendsItsNegativeId) {
  const int id = BindingIdBase + 3;
  ASSERT_TRUE(system.RegisterHotkey(id, kAllThree, VK_F9));
  ASSERT_EQ(PressChord({VK_CONTROL, VK_MENU, VK_SHIFT, VK_F9}), 8u);
  EXPECT_EQ(NextHotkeyId(mainWindow.get()), id);

  // Registered ids reach the window unchanged, the activation hotkey's as well.
  ASSERT_TRUE(system.RegisterHotkey(ActivationHotkeyId, kModControl | kModShift, VK_F10));
  ASSERT_EQ(PressChord({VK_CONTROL, VK_SHIFT, VK_F10}), 6u);
  EXPECT_EQ(NextHotkeyId(mainWindow.get()), ActivationHotkeyId);

  system.UnregisterHotkey(ActivationHotkeyId);
  system.UnregisterHotkey(id);
  EXPECT_TRUE(other.RegisterHotkey(7, kAllThree, VK_F9));
  ASSERT_EQ(PressChord({VK_CONTROL, VK_MENU, VK_SHIFT, VK_F9}), 8u);
  EXPECT_EQ(NextHotkeyId(otherWindow.get()), 7);
  other.UnregisterHotkey(7);
}

}  // namespace
}  // namespace tarvek::win
