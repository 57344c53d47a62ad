#include "core/dispatch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/input/key_names.h"
#include "recording_system.h"

namespace tarvek {
namespace {

using testing::RecordingSystem;
using testing::RecordingView;
using Calls = std::vector<std::string>;

constexpr std::intptr_t kNoModifiers = 0;
const std::string kWave = "PlayWaveAsync C:\\HK\\hotkey.wav";

class DispatchTest : public ::testing::Test {
 protected:
  DispatchTest() {
    system.foreground = 0x100;
    system.foregroundRect = {100, 200, 500, 600};
  }

  void Bind(int slot, std::string modifiers, std::string key, std::string target) {
    HotkeyEntry& e = core.table.slots[slot];
    e.Modifiers = ModifierFlagsFromText(modifiers);
    e.VirtualKey = KeyCodeFromName(key);
    e.ModifierText = std::move(modifiers);
    e.KeyText = std::move(key);
    e.Name = "binding " + std::to_string(slot);
    e.Target = std::move(target);
  }

  std::optional<std::intptr_t> Send(unsigned message, std::uintptr_t wParam = 0,
                                    std::intptr_t lParam = 0) {
    return core.MainWindowProc(message, wParam, lParam);
  }
  // WM_HOTKEY as the system sends it: the id, then the flags and key in lParam.
  std::optional<std::intptr_t> Hotkey(int id, std::intptr_t lParam = kNoModifiers) {
    return Send(wm::kHotkey, static_cast<std::uintptr_t>(static_cast<std::intptr_t>(id)), lParam);
  }
  // The calls one message makes.
  Calls CallsOf(unsigned message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0) {
    system.calls.clear();
    Send(message, wParam, lParam);
    return system.calls;
  }
  Calls CallsOfHotkey(int id, std::intptr_t lParam = kNoModifiers) {
    system.calls.clear();
    EXPECT_EQ(Hotkey(id, lParam), std::optional<std::intptr_t>(0)) << "id " << id;
    return system.calls;
  }

  RecordingSystem system;
  RecordingView view{system.calls};
  HotkeyCore core{system, view, view, "C:\\HK"};
};

TEST_F(DispatchTest, SecondInstanceMessageBringsTheWindowBack) {
  core.instanceMessage = 0xC0DE;
  EXPECT_EQ(Send(0xC0DE), std::optional<std::intptr_t>(0));
  EXPECT_EQ(system.calls, Calls{"View.ShowNormal"});
}

TEST_F(DispatchTest, UnregisteredInstanceMessageMatchesNothing) {
  core.instanceMessage = 0;
  EXPECT_EQ(Send(0), std::nullopt);
  EXPECT_EQ(system.calls, Calls{});
}

// A click's hotkey-list menu waits for the double-click time, so that a second click can still
// make a double click, which shows the window and opens no menu.
TEST_F(DispatchTest, TrayClicksTellASingleClickFromADoubleClick) {
  constexpr std::intptr_t kTimeUp = 0;  // the menu timer fires
  struct Step {
    std::intptr_t mouse;
    Calls expected;
  };
  const Calls up = {"View.TrayNormal", "View.StartTrayMenuTimer"};
  const std::vector<std::pair<const char*, std::vector<Step>>> sequences = {
      {"double click",
       {{513, {"View.TrayPressed"}},
        {514, up},
        {515, {"View.StopTrayMenuTimer", "View.Show"}},
        {514, {"View.TrayNormal"}},
        {kTimeUp, {"View.StopTrayMenuTimer"}}}},  // a tick that was already on its way
      {"single click",
       {{513, {"View.TrayPressed"}},
        {514, up},
        {kTimeUp, {"View.StopTrayMenuTimer", "View.PopupHotkeyMenu"}},
        {kTimeUp, {"View.StopTrayMenuTimer"}}}},
      {"right click while the menu waits",
       {{514, up},
        {517, {"View.StopTrayMenuTimer", "View.PopupSystemMenu"}},
        {kTimeUp, {"View.StopTrayMenuTimer"}},
        {517, {"View.PopupSystemMenu"}},
        {512, {}}}},
  };
  for (const auto& [name, steps] : sequences) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
      SCOPED_TRACE(std::string(name) + ", step " + std::to_string(i));
      system.calls.clear();
      if (steps[i].mouse == kTimeUp) {
        EXPECT_EQ(Send(wm::kTimer, wm::kTrayMenuTimerId), std::optional<std::intptr_t>(0));
      } else {
        // The icon's notifications also go on to the window's previous procedure.
        EXPECT_EQ(Send(wm::kTrayCallback, 0, steps[i].mouse), std::nullopt);
      }
      EXPECT_EQ(system.calls, steps[i].expected);
    }
  }
}

TEST_F(DispatchTest, MouseMoveRevealsOnlyAParkedWindowInMouseMode) {
  // The strip at the edge is mostly the window's border: moves over it count as well.
  for (unsigned move : {wm::kMouseMove, wm::kNcMouseMove}) {
    SCOPED_TRACE(move);
    core.flags.MouseActivation = false;
    core.flags.ParkedAtEdge = true;
    EXPECT_EQ(CallsOf(move), Calls{});  // hotkey mode
    core.flags.MouseActivation = true;
    core.flags.ParkedAtEdge = false;
    EXPECT_EQ(CallsOf(move), Calls{});  // not parked
    core.flags.ParkedAtEdge = true;
    system.calls.clear();
    EXPECT_EQ(Send(move), std::nullopt);
    EXPECT_EQ(system.calls, Calls{"View.RevealFromEdge"});
    EXPECT_FALSE(core.flags.ParkedAtEdge);
    EXPECT_EQ(CallsOf(move), Calls{});  // once out, it stays
  }
}

TEST_F(DispatchTest, OtherMessagesPassOn) {
  EXPECT_EQ(Send(0x0001), std::nullopt);
  EXPECT_EQ(system.calls, Calls{});
}

TEST_F(DispatchTest, TildeKeyClicksTwiceIntoTheForegroundWindow) {
  EXPECT_EQ(
      CallsOfHotkey(ForegroundClickHotkeyId),
      (Calls{"SetCursorPos 120 230", "MouseEvent 2 0 0", "MouseEvent 4 0 0", "SetCursorPos 120 250",
             "MouseEvent 2 0 0", "MouseEvent 4 0 0", "SetCursorPos 200 370"}));
  EXPECT_EQ(core.ForegroundRect.right, 500);
}

TEST_F(DispatchTest, ActivationShowsOnceWithOneSoundUntilHiddenAgain) {
  core.sound.on = true;
  EXPECT_EQ(CallsOfHotkey(ActivationHotkeyId), (Calls{"View.Show", kWave}));
  EXPECT_TRUE(core.flags.MainWindowShown);
  EXPECT_EQ(CallsOfHotkey(ActivationHotkeyId), Calls{});
  core.flags.MainWindowShown = false;  // a hide command
  EXPECT_EQ(CallsOfHotkey(ActivationHotkeyId), (Calls{"View.Show", kWave}));
}

TEST_F(DispatchTest, ActivationWithoutSoundStillShows) {
  EXPECT_EQ(CallsOfHotkey(ActivationHotkeyId), Calls{"View.Show"});
}

TEST_F(DispatchTest, ActivationHotkeyDoesNothingInMouseMode) {
  core.flags.MouseActivation = true;
  core.sound.on = true;
  EXPECT_EQ(CallsOfHotkey(ActivationHotkeyId), Calls{});
  EXPECT_FALSE(core.flags.MainWindowShown);
}

TEST_F(DispatchTest, BindingPlaysTheSoundThenRunsItsTarget) {
  core.sound.on = true;
  Bind(0, "Ctrl", "A", "notepad");
  Bind(1, "Ctrl + Alt", "C", "calc");
  Bind(2, "Win", "F5", "关闭当前窗口");
  EXPECT_EQ(CallsOfHotkey(BindingIdBase + 1, (0x43 << 16) | 3),
            (Calls{kWave, "Background ShellOpen calc"}));
  EXPECT_EQ(CallsOfHotkey(BindingIdBase + 2), (Calls{kWave, "PostClose 256"}));
  core.sound.on = false;
  EXPECT_EQ(CallsOfHotkey(BindingIdBase), Calls{"Background ShellOpen notepad"});
}

TEST_F(DispatchTest, BindingIdArrivesEitherSignExtendedOrAsThirtyTwoBits) {
  Bind(3, "Ctrl + Alt", "C", "calc");
  const std::uint32_t id32 = static_cast<std::uint32_t>(BindingIdBase + 3);
  EXPECT_EQ(CallsOf(wm::kHotkey, id32), Calls{"Background ShellOpen calc"});
}

TEST_F(DispatchTest, MenuClickWithAnAddressInLParamRunsTheBinding) {
  Bind(0, "Ctrl", "A", "calc");
  std::int16_t zero = 0;
  EXPECT_EQ(CallsOfHotkey(BindingIdBase, reinterpret_cast<std::intptr_t>(&zero)),
            Calls{"Background ShellOpen calc"});
}

TEST_F(DispatchTest, BindingWithoutModifiersRunsWhileTheMouseControllerIsOn) {
  core.flags.MouseControllerOn = true;
  Bind(0, "无", "K", "calc");
  EXPECT_EQ(CallsOfHotkey(BindingIdBase, 0x4B << 16), Calls{"Background ShellOpen calc"});
}

TEST_F(DispatchTest, IdsOutsideTheLoadedListAreIgnored) {
  core.sound.on = true;
  Bind(0, "Ctrl", "A", "calc");
  Bind(1, "Ctrl", "B", "notepad");
  EXPECT_EQ(CallsOfHotkey(BindingIdBase + 2), Calls{});
  EXPECT_EQ(CallsOfHotkey(BindingIdBase - 1), Calls{});
  EXPECT_EQ(CallsOfHotkey(0), Calls{});
  EXPECT_EQ(CallsOfHotkey(12345), Calls{});
}

TEST_F(DispatchTest, EveryOneOfTheHundredAndOneSlotsRunsAndNoMore) {
  for (int i = 0; i < kTableSlots; ++i) Bind(i, "Alt", "A", "t" + std::to_string(i));
  EXPECT_EQ(CallsOfHotkey(BindingIdBase), Calls{"Background ShellOpen t0"});
  EXPECT_EQ(CallsOfHotkey(BindingIdBase + 100), Calls{"Background ShellOpen t100"});
  EXPECT_EQ(CallsOfHotkey(BindingIdBase + 101), Calls{});
  // The fixed ids never reach a slot, however full the table is.
  EXPECT_EQ(CallsOfHotkey(ActivationHotkeyId), Calls{"View.Show"});
  EXPECT_EQ(CallsOfHotkey(ForegroundClickHotkeyId).size(), 7u);
}

class EndSessionTest : public DispatchTest {
 protected:
  EndSessionTest() {
    Bind(0, "Ctrl", "A", "calc");
    Bind(1, "Alt", "B", "隐藏\\显示当前窗口");
    Bind(2, "Win", "C", "notepad");
    Hotkey(BindingIdBase + 1);  // hides window 0x100
    system.calls.clear();
  }
  const Calls tearDown = {"UnregisterHotkey -12544",
                          "UnregisterHotkey -14080",
                          "UnregisterHotkey -14079",
                          "UnregisterHotkey -14078",
                          "ShowWindow 256 5",
                          "View.RemoveTrayIcon",
                          "View.RestoreWindowProcedures",
                          "View.Unload"};
  const std::string question =
      "MessageBox [即拖即存中的内容还没有保存，确信不保存就退出系统吗?] [即拖即存] 0x41";
};

TEST_F(EndSessionTest, UnsavedPadAnsweredCancelRefusesAndKeepsEverything) {
  core.flags.PadContentSaved = false;
  system.messageBoxAnswers = {kIdCancel};
  EXPECT_EQ(Send(wm::kQueryEndSession), std::optional<std::intptr_t>(0));
  EXPECT_EQ(system.calls, (Calls{question, "View.ShowPad"}));
  EXPECT_FALSE(core.flags.QuitRequested);
  EXPECT_EQ(CallsOfHotkey(BindingIdBase + 2), Calls{"Background ShellOpen notepad"});
}

TEST_F(EndSessionTest, TheQueryOnlyAsksAndTheEndTearsDownInOrder) {
  // The query gives nothing back: the end may still be cancelled.
  EXPECT_EQ(Send(wm::kQueryEndSession), std::nullopt);
  EXPECT_EQ(system.calls, Calls{});
  EXPECT_FALSE(core.flags.QuitRequested);
  EXPECT_EQ(Send(wm::kEndSession, 1), std::optional<std::intptr_t>(0));
  EXPECT_EQ(system.calls, tearDown);
  EXPECT_TRUE(core.flags.QuitRequested);
  EXPECT_EQ(core.table.slots[0].ModifierText, "");
  EXPECT_EQ(CallsOfHotkey(BindingIdBase), Calls{});
}

TEST_F(EndSessionTest, ACancelledEndKeepsEverythingWorking) {
  core.flags.PadContentSaved = false;
  system.messageBoxAnswers = {kIdOk};
  EXPECT_EQ(Send(wm::kQueryEndSession), std::nullopt);
  EXPECT_EQ(Send(wm::kEndSession, 0), std::optional<std::intptr_t>(0));
  EXPECT_EQ(system.calls, Calls{question});
  EXPECT_FALSE(core.flags.QuitRequested);
  EXPECT_EQ(CallsOfHotkey(BindingIdBase + 2), Calls{"Background ShellOpen notepad"});
}

}  // namespace
}  // namespace tarvek

namespace tarvek {
namespace {

// A binding that types goes to the typist with its hotkey's keys; one with a condition is left
// to the key hook, whose fired slots run only for the list it was given last; without any
// condition the hook is never asked for.
TEST_F(DispatchTest, TextAndConditionalBindingsTakeTheirOwnRoads) {
  Bind(0, "Ctrl + Alt", "T", "输入文本");
  core.table.slots[0].Options.Text = "你好\r\nWorld";
  Bind(1, "Ctrl", "A", "calc");
  core.table.slots[1].Options.Scope = ProgramScope::kOnlyIn;
  core.table.slots[1].Options.Programs = "notepad.exe";
  Bind(2, "Ctrl", "B", "write");
  core.table.slots[2].Options.Scope = ProgramScope::kNotIn;  // no programs: everywhere

  system.calls.clear();
  EXPECT_EQ(core.RegisterBindings(), std::vector<int>{});
  EXPECT_EQ(system.CallsStartingWith("RegisterHotkey").size(), 2u);
  EXPECT_EQ(system.registered.count(BindingIdBase + 1), 0u);
  ASSERT_NE(system.watched, nullptr);
  ASSERT_EQ(system.watched->bindings.size(), 1u);
  EXPECT_EQ(system.watched->bindings[0].slot, 1);
  EXPECT_EQ(system.watched->bindings[0].virtualKey, 'A');
  const unsigned generation = system.watched->generation;

  EXPECT_EQ(CallsOfHotkey(BindingIdBase), Calls{"TypeTextInFront 你好\r\nWorld"});
  ASSERT_EQ(system.typedJobs.size(), 1u);
  EXPECT_EQ(system.typedJobs[0].hotkeyKeys, HotkeyKeys(kModControl | kModAlt, 'T'));
  EXPECT_EQ(system.typedJobs[0].slot, 0);
  EXPECT_FALSE(system.typedJobs[0].fromMenu);
  core.menuWindow = 42;  // chosen from the hotkey-list menu: typed into the window before it
  CallsOfHotkey(BindingIdBase);
  EXPECT_TRUE(system.typedJobs.at(1).fromMenu);
  EXPECT_EQ(system.typedJobs[1].window, 42u);
  core.menuWindow.reset();

  EXPECT_EQ(CallsOf(kKeyFiredMessage, 1, generation), Calls{"Background ShellOpen calc"});
  EXPECT_EQ(CallsOf(kKeyFiredMessage, 1, generation - 1), Calls{});  // an older list's
  EXPECT_EQ(CallsOf(kKeyFiredMessage, 2, generation), Calls{});      // not a watched one

  system.calls.clear();
  core.ReleaseBindings();
  EXPECT_EQ(system.watched, nullptr);
  EXPECT_EQ(CallsOf(kKeyFiredMessage, 1, generation), Calls{});

  Bind(0, "Ctrl", "A", "calc");  // a list without conditions: the hook is never mentioned
  system.calls.clear();
  core.RegisterBindings();
  core.ReleaseBindings();
  EXPECT_EQ(system.CallsStartingWith("WatchKeys"), Calls{});
}

// Mouse triggers never reach RegisterHotKey: the mouse hook watches them, with or without a
// condition, a middle click without a modifier is refused, and a fired slot runs only for the
// list the hook was given last; a list without them never mentions the hook.
TEST_F(DispatchTest, MouseBindingsGoToTheMouseHookOnly) {
  Bind(0, "无", "", "calc");
  core.table.slots[0].VirtualKey = kSideButton1Code;
  Bind(1, "无", "", "write");
  core.table.slots[1].VirtualKey = kMiddleButtonCode;
  Bind(2, "Ctrl", "", "输入文本");
  core.table.slots[2].VirtualKey = kWheelDownCode;
  core.table.slots[2].Options = testing::Scoped(ProgramScope::kOnlyIn, "notepad.exe");
  core.table.slots[2].Options.Text = "hi";
  Bind(3, "Ctrl", "B", "notepad");

  system.calls.clear();
  EXPECT_EQ(core.RegisterBindings(), std::vector<int>{1});
  EXPECT_EQ(system.CallsStartingWith("RegisterHotkey").size(), 1u);
  EXPECT_EQ(system.registered.count(BindingIdBase + 3), 1u);
  EXPECT_EQ(system.CallsStartingWith("WatchKeys"), Calls{});
  ASSERT_NE(system.watchedMouse, nullptr);
  ASSERT_EQ(system.watchedMouse->bindings.size(), 2u);
  EXPECT_EQ(system.watchedMouse->bindings[0].slot, 0);
  EXPECT_EQ(system.watchedMouse->bindings[1].virtualKey, kWheelDownCode);
  const unsigned generation = system.watchedMouse->generation;

  EXPECT_EQ(CallsOf(kMouseFiredMessage, 0, generation), Calls{"Background ShellOpen calc"});
  EXPECT_EQ(CallsOf(kMouseFiredMessage, 2, generation), Calls{"TypeTextInFront hi"});
  EXPECT_EQ(CallsOf(kMouseFiredMessage, 0, generation - 1), Calls{});  // an older list's
  EXPECT_EQ(CallsOf(kMouseFiredMessage, 3, generation), Calls{});      // a registered one

  core.ReleaseBindings();
  EXPECT_EQ(system.watchedMouse, nullptr);
  EXPECT_EQ(CallsOf(kMouseFiredMessage, 0, generation), Calls{});

  Bind(0, "Ctrl", "A", "calc");
  system.calls.clear();
  core.RegisterBindings();
  core.ReleaseBindings();
  EXPECT_EQ(system.CallsStartingWith("WatchMouse"), Calls{});
}

}  // namespace
}  // namespace tarvek
