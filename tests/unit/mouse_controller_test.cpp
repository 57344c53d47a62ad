// The keypad mouse controller: which key each of its fifteen ids stands for, what a press does,
// when it is ignored, and what the check box and the start-up register and free.
#include "mouse/mouse_controller.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "core/dispatch.h"
#include "recording_main_window.h"
#include "recording_system.h"
#include "shell/program.h"

namespace tarvek {
namespace {

using testing::FakeGrid;
using testing::MemorySettings;
using testing::RecordingMainWindow;
using testing::RecordingSystem;
using testing::RecordingView;
using Calls = std::vector<std::string>;

struct Expected {
  int keypadId, keypadKey;
  int letterId, letterKey;  // 0: the routine has no letter key
  Calls calls;              // what one press does, with the sound on
};

const std::string kClick = "PlayWaveAsync C:\\HK\\mouse.wav";
const std::vector<Expected> kRoutines = {
    {14737, 97, 14745, 'A', {"MouseEvent 1 -10 0"}},   // MouseMoveLeft: keypad 1
    {14738, 98, 14746, 'S', {"MouseEvent 1 0 10"}},    // MouseMoveDown: keypad 2
    {14739, 99, 14747, 'D', {"MouseEvent 1 10 0"}},    // MouseMoveRight: keypad 3
    {14740, 101, 14748, 'W', {"MouseEvent 1 0 -10"}},  // MouseMoveUp: keypad 5
    {14741, 100, 14749, 'J', {"MouseEvent 2 0 0", "MouseEvent 4 0 0", kClick}},   // keypad 4
    {14742, 102, 14750, 'L', {"MouseEvent 8 0 0", "MouseEvent 16 0 0", kClick}},  // keypad 6
    {14743, 103, 14751, 'K', {"MouseEvent 2 0 0"}},  // MouseLeftDown: keypad 7 starts a drag
    {14744, 104, 0, 0, {"MouseEvent 4 0 0"}},        // MouseLeftUp: keypad 8 ends it
};

class MouseDispatchTest : public ::testing::Test {
 protected:
  Calls Press(int id, std::intptr_t lParam = 0) {
    system.calls.clear();
    auto result = core.MainWindowProc(wm::kHotkey, static_cast<std::uintptr_t>(id), lParam);
    EXPECT_EQ(result, std::optional<std::intptr_t>(0)) << "id " << id;
    return system.calls;
  }

  RecordingSystem system;
  RecordingView view{system.calls};
  HotkeyCore core{system, view, view, "C:\\HK"};
};

// Both tables against the expected keys, and back from every id to the same routine.
TEST(MouseKeys, FifteenIdsOfTheirOwnEachForOneKeyAndOneRoutine) {
  ASSERT_EQ(MouseKeypadKeys().size(), 8u);
  ASSERT_EQ(MouseLetterKeys().size(), 7u);
  std::set<int> ids;
  for (std::size_t i = 0; i < kRoutines.size(); ++i) {
    const Expected& e = kRoutines[i];
    const MouseKey& keypad = MouseKeypadKeys()[i];
    EXPECT_EQ(keypad.id, e.keypadId);
    EXPECT_EQ(keypad.virtualKey, e.keypadKey) << e.keypadId;
    EXPECT_EQ(MouseRoutineOfId(e.keypadId), keypad.routine) << e.keypadId;
    ids.insert(keypad.id);
    if (e.letterId == 0) continue;
    const MouseKey& letter = MouseLetterKeys()[i];
    EXPECT_EQ(letter.id, e.letterId);
    EXPECT_EQ(letter.virtualKey, e.letterKey) << e.letterId;
    EXPECT_EQ(letter.routine, keypad.routine) << e.letterId;
    EXPECT_EQ(MouseRoutineOfId(e.letterId), keypad.routine) << e.letterId;
    ids.insert(letter.id);
  }
  EXPECT_EQ(ids.size(), 15u);
  // No other hotkey of the program has one of these ids.
  for (int other :
       {ActivationHotkeyId, ForegroundClickHotkeyId, BindingIdBase, BindingIdBase + kLastSlot}) {
    EXPECT_EQ(ids.count(other), 0u) << other;
  }
  for (int id : {MouseKeyIdBase, MouseLetterKeyIdBase + 8, 0}) {
    EXPECT_EQ(MouseRoutineOfId(id), std::nullopt) << id;
  }
}

TEST_F(MouseDispatchTest, KeypadAndLetterKeysRunTheSameRoutine) {
  core.flags.MouseControllerOn = true;
  core.sound.on = true;
  for (const Expected& e : kRoutines) {
    EXPECT_EQ(Press(e.keypadId), e.calls) << e.keypadId;
    if (e.letterId != 0) {
      EXPECT_EQ(Press(e.letterId), e.calls) << e.letterId;
    }
  }
  // Without the sound the clicks are silent.
  core.sound.on = false;
  EXPECT_EQ(Press(14749), (Calls{"MouseEvent 2 0 0", "MouseEvent 4 0 0"}));
}

TEST_F(MouseDispatchTest, EveryKeyIsSwallowedWhileTheBoxIsUntickedOrAModifierIsHeld) {
  const std::intptr_t keyA = 0x41 << 16;
  for (const Expected& e : kRoutines) {
    for (int id : {e.keypadId, e.letterId}) {
      if (id == 0) continue;
      core.flags.MouseControllerOn = false;
      EXPECT_EQ(Press(id, keyA), Calls{}) << id;
      core.flags.MouseControllerOn = true;
      for (std::intptr_t modifier : {1, 2, 4, 8}) {
        EXPECT_EQ(Press(id, keyA | modifier), Calls{}) << id;
      }
      EXPECT_NE(Press(id, keyA), Calls{}) << id;
    }
  }
  // Ids beside the two ranges are not the controller's, and with no binding do nothing.
  core.flags.MouseControllerOn = true;
  EXPECT_EQ(Press(MouseKeyIdBase), Calls{});
  EXPECT_EQ(Press(MouseLetterKeyIdBase + 8), Calls{});
}

// --- Registration: the check box and the start-up -----------------------------------------

class MouseRegistrationTest : public ::testing::Test {
 protected:
  MouseRegistrationTest() { settings.calls = &system.calls; }
  void StartWithTheControllerOn() {
    settings.values["MouseCtrl"] = "1";
    program.LoadPhase();
    program.InitialisePhase();
  }
  // The controller's ids the system holds for us now.
  std::set<int> Held() const {
    std::set<int> held;
    for (int id : system.registered) {
      if (MouseRoutineOfId(id)) held.insert(id);
    }
    return held;
  }
  static std::set<int> Range(int first, int last) {
    std::set<int> ids;
    for (int id = first; id <= last; ++id) ids.insert(id);
    return ids;
  }

  RecordingSystem system;
  MemorySettings settings;
  RecordingMainWindow view{system.calls};
  FakeGrid grid;
  Program program{system, settings, view, grid, view, "C:\\HK"};
};

TEST_F(MouseRegistrationTest,
       AStartWithTheControllerOnHoldsKeypadAndLetterKeysAndUntickingFreesAll) {
  StartWithTheControllerOn();
  // All fifteen, none refused: a system that keeps one key per id loses none either.
  EXPECT_EQ(Held(), Range(14737, 14751));

  system.calls.clear();
  program.MouseControllerBoxClick(false);
  EXPECT_EQ(Held(), std::set<int>{});
  EXPECT_EQ(system.calls.back(), "Set MouseCtrl 0");
  // Ticked again, the box takes the keypad only; the letter keys come with a start.
  program.MouseControllerBoxClick(true);
  EXPECT_EQ(Held(), Range(14737, 14744));
  program.MouseControllerBoxClick(false);
  EXPECT_EQ(Held(), std::set<int>{});
}

// What the system is given for every hotkey a start with the controller on registers: the
// controller's keys repeat while held, every other hotkey fires once per press.
TEST_F(MouseRegistrationTest, OnlyTheControllersKeysRepeatWhileHeld) {
  settings.values["FileSave"] = "C:\\HK\\SaveKey.htk";
  system.files["C:\\HK\\SaveKey.htk"] = "Ctrl + Alt\r\nC\r\ncalc\r\ncalc\r\n";
  StartWithTheControllerOn();
  std::set<int> once, repeating;
  for (const std::string& call : system.CallsStartingWith("RegisterHotkey ")) {
    int id = 0, modifiers = 0;
    ASSERT_EQ(std::sscanf(call.c_str(), "RegisterHotkey %d %d", &id, &modifiers), 2) << call;
    int given = ModifiersToRegister(id, modifiers);
    EXPECT_EQ(given & ~kModNoRepeat, modifiers) << call;
    (given & kModNoRepeat ? once : repeating).insert(id);
  }
  EXPECT_EQ(repeating, Range(14737, 14751));
  EXPECT_EQ(once, (std::set<int>{ForegroundClickHotkeyId, ActivationHotkeyId, BindingIdBase}));
}

}  // namespace
}  // namespace tarvek
