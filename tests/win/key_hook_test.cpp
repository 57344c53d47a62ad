// The key hook for bindings that act only in some programs: where the condition holds, the
// binding fires and its key goes no further; elsewhere the key reaches the window in front
// untouched. Without bindings, the hook's thread is gone.
#include "win/input/key_hook.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/hotkey_table.h"
#include "win/input/foreground_program.h"
#include "win/launch/launch_routes.h"
#include "win/launch/running_apps.h"
#include "win/system/strings.h"
#include "win_test_support.h"

namespace tarvek::win {
namespace {

constexpr int kSlot = 4;

WatchedBindingsPtr CtrlAltT(ProgramScope scope, unsigned generation) {
  auto list = std::make_shared<WatchedBindings>();
  list->generation = generation;
  WatchedBinding binding;
  binding.slot = kSlot;
  binding.modifiers = kModControl | kModAlt;
  binding.virtualKey = 'T';
  LaunchOptions options;
  options.Scope = scope;
  options.Programs = "win_tests.exe";
  binding.condition = options;
  list->bindings.push_back(binding);
  return list;
}

struct Seen {
  int firedSlot = -1;
  unsigned generation = 0;
  int keysInBox = 0;  // presses of T that reached the box
};

// Presses Ctrl+Alt+T and lets go, then watches for a while what arrives.
Seen PressCtrlAltT(const wintest::FrontEditBox& box, HWND mainWindow) {
  INPUT inputs[6]{};
  const WORD keys[6] = {VK_CONTROL, VK_MENU, 'T', 'T', VK_MENU, VK_CONTROL};
  for (int i = 0; i < 6; ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = keys[i];
    inputs[i].ki.dwFlags = i < 3 ? 0 : KEYEVENTF_KEYUP;
  }
  SendInput(6, inputs, sizeof(INPUT));
  Seen seen;
  // Absence is checked too, so the whole bound is waited for.
  for (int i = 0; i < 20; ++i) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == kKeyFiredMessage && message.hwnd == mainWindow) {
        seen.firedSlot = static_cast<int>(message.wParam);
        seen.generation = static_cast<unsigned>(message.lParam);
      }
      if ((message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) &&
          message.hwnd == box.Box() && message.wParam == 'T') {
        ++seen.keysInBox;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 25, QS_ALLINPUT);
  }
  return seen;
}

TEST(KeyHook, TakesTheKeyWhereItsProgramsSayPassesItElsewhereAndGoesWithoutBindings) {
  wintest::FrontEditBox box;
  wintest::HiddenWindow mainWindow;
  ASSERT_EQ(GetForegroundWindow(), box.Frame());

  KeyHook::Watch(CtrlAltT(ProgramScope::kOnlyIn, 7), mainWindow.get());
  EXPECT_TRUE(KeyHook::Running());
  const Seen taken = PressCtrlAltT(box, mainWindow.get());
  EXPECT_EQ(taken.firedSlot, kSlot);
  EXPECT_EQ(taken.generation, 7u);
  EXPECT_EQ(taken.keysInBox, 0);

  KeyHook::Watch(CtrlAltT(ProgramScope::kNotIn, 8), mainWindow.get());
  const Seen passed = PressCtrlAltT(box, mainWindow.get());
  EXPECT_EQ(passed.firedSlot, -1);
  EXPECT_EQ(passed.keysInBox, 1);

  KeyHook::Watch(nullptr, mainWindow.get());
  EXPECT_FALSE(KeyHook::Running());
  // An empty list is no bindings either.
  KeyHook::Watch(CtrlAltT(ProgramScope::kOnlyIn, 9), mainWindow.get());
  KeyHook::Watch(std::make_shared<WatchedBindings>(), mainWindow.get());
  EXPECT_FALSE(KeyHook::Running());
}

// The programs to pick for a list: each once, this one left out although its window is in front.
TEST(ProgramsInFront, OpenProgramsAreNamedOnceAndThisOneIsLeftOut) {
  wintest::FrontEditBox box;
  wchar_t own[MAX_PATH * 2];
  const std::wstring ownPath(own, GetModuleFileNameW(nullptr, own, MAX_PATH * 2));
  EXPECT_EQ(ProgramOfWindow(box.Frame()), Narrow(ownPath));
  std::wstring tests = ownPath.substr(0, ownPath.find_last_of(L'\\'));
  const std::wstring target = tests.substr(0, tests.find_last_of(L'\\')) + L"\\e2e\\target.exe";
  const std::vector<StartedProcess> started = {
      StartProcess(target, L"--window", L"", SW_SHOWNOACTIVATE).process,
      StartProcess(target, L"--window", L"", SW_SHOWNOACTIVATE).process};
  for (int i = 0; i < 200 && WindowsOfProcesses(started).size() < 2; ++i) Sleep(25);
  const std::vector<std::string> names = OpenProgramNames();
  EXPECT_EQ(std::count(names.begin(), names.end(), "target.exe"), 1);
  EXPECT_EQ(std::count(names.begin(), names.end(), "win_tests.exe"), 0);
  for (WindowRef window : WindowsOfProcesses(started)) {
    PostMessageW(reinterpret_cast<HWND>(window), WM_CLOSE, 0, 0);
  }
}

}  // namespace
}  // namespace tarvek::win
