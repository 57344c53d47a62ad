#include "core/input/mouse_watch.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "core/hotkey_table.h"
#include "core/input/key_names.h"
#include "recording_system.h"

namespace tarvek {
namespace {

using Kind = MouseInput::Kind;
using Click = std::pair<KeyVerdict, KeyVerdict>;  // what a press and its release each do
const KeyVerdict kPass{};
const KeyVerdict kSwallowed{true, -1, false};

// A mouse hook's decisions; counts how often it asks which program is in front. Every verdict
// that fires a binding, a bare side button's too, and no other asks for the mask key: the
// program needs the last input to bring a window to the front.
struct Hook {
  WatchedBindings watched;
  MouseWatch watch;
  std::string front = "C:\\Windows\\notepad.exe";
  int asked = 0;
  KeyVerdict Event(Kind kind, int code, int modifiers) {
    KeyVerdict verdict =
        watch.Decide(watched, {kind, code}, modifiers, [this] { return ++asked, front; });
    EXPECT_EQ(verdict.mask, verdict.firedSlot >= 0) << code;
    return verdict;
  }
  Click Press(int button, int modifiers) {
    KeyVerdict press = Event(Kind::kButtonDown, button, modifiers);
    return {press, Event(Kind::kButtonUp, button, modifiers)};
  }
};

TEST(MouseWatch, ABoundClickFiresAndTakesPressAndReleaseAnyOtherPassesWhole) {
  Hook hook;
  hook.watched.bindings = {{2, 0, kSideButton1Code, {}},
                           {6, kModAlt, kSideButton2Code, {}},
                           {7, kModWin | kModShift, kMiddleButtonCode, {}}};
  for (int i = 0; i < 2; ++i) {  // every click fires anew
    EXPECT_EQ(hook.Press(kSideButton1Code, 0), Click({true, 2, true}, kSwallowed));
  }
  EXPECT_EQ(hook.Press(kSideButton2Code, kModAlt), Click({true, 6, true}, kSwallowed));
  EXPECT_EQ(hook.Press(kMiddleButtonCode, kModWin | kModShift), Click({true, 7, true}, kSwallowed));
  // Other modifiers, an unbound button, a code that is no button: untouched.
  const std::pair<int, int> others[] = {{kSideButton1Code, kModControl},
                                        {kSideButton2Code, 0},
                                        {kMiddleButtonCode, kModWin},
                                        {200, 0}};
  for (auto [button, modifiers] : others) {
    EXPECT_EQ(hook.Press(button, modifiers), Click(kPass, kPass)) << button;
  }
  EXPECT_EQ(hook.asked, 0);  // no binding has a condition: nobody is asked
}

TEST(MouseWatch, EachWheelNotchFiresItsWayAndPlainTurnsAndMiddleClicksAlwaysPass) {
  Hook hook;
  hook.watched.bindings = {{1, kModControl, kWheelUpCode, {}},
                           {2, kModControl, kWheelDownCode, {}},
                           {3, 0, kWheelUpCode, {}},  // left by a hand-written list
                           {4, 0, kMiddleButtonCode, {}}};
  const KeyVerdict up{true, 1, true}, down{true, 2, true};
  const std::tuple<int, int, KeyVerdict> notches[] = {{120, kModControl, up},
                                                      {240, kModControl, up},
                                                      {-120, kModControl, down},
                                                      {0, kModControl, kPass},
                                                      {120, 0, kPass},
                                                      // A touchpad's small steps: taken, and
                                                      // the step that makes a notch fires.
                                                      {40, kModControl, kSwallowed},
                                                      {40, kModControl, kSwallowed},
                                                      {40, kModControl, up},
                                                      {60, kModControl, kSwallowed},
                                                      {-60, kModControl, kSwallowed},
                                                      {-60, kModControl, down}};
  for (auto [delta, modifiers, verdict] : notches) {
    EXPECT_EQ(hook.Event(Kind::kWheel, delta, modifiers), verdict) << delta << " " << modifiers;
  }
  EXPECT_EQ(hook.Press(kMiddleButtonCode, 0), Click(kPass, kPass));
}

TEST(MouseWatch, AClickWhoseConditionFailsPassesWholeAndOnlyAMatchAsksTheProgram) {
  Hook hook;
  hook.watched.bindings = {
      {5, 0, kSideButton1Code, testing::Scoped(ProgramScope::kOnlyIn, "chrome")}};
  EXPECT_EQ(hook.Press(kSideButton1Code, 0), Click(kPass, kPass));
  EXPECT_EQ(hook.Press(kSideButton2Code, 0), Click(kPass, kPass));
  EXPECT_EQ(hook.asked, 1);
  hook.front = "C:\\Apps\\Chrome.exe";
  EXPECT_EQ(hook.Press(kSideButton1Code, 0), Click({true, 5, true}, kSwallowed));
  // A press whose release was lost (the hook was away) is decided afresh, and so is its release.
  EXPECT_EQ(hook.Event(Kind::kButtonDown, kSideButton1Code, 0), (KeyVerdict{true, 5, true}));
  hook.front.clear();
  EXPECT_EQ(hook.Press(kSideButton1Code, 0), Click(kPass, kPass));
}

}  // namespace
}  // namespace tarvek
